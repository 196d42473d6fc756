// The print settings kept outside the dialog: the margins in a form's
// layout file (section "Layout", micrometres) and the check of typed margins.
#pragma once

#include <string>

struct FormMargins {
    double topCm = 0.0;
    double leftCm = 0.0;
};

// Margins of the layout file; missing keys or file count 0.
FormMargins ReadFormMargins(const std::string& layoutPath);

// The backup beside the layout file: its name without the last character.
std::string LayoutBackupPath(const std::string& layoutPath);

// Copies the layout file to its backup, then rewrites it from the backup
// with the xOffset and yOffset lines replaced. False when a file could not
// be read or written; the layout file is then as it was.
bool WriteFormMargins(const std::string& layoutPath, const FormMargins& margins);

// Which margin is out of 0 .. 2 cm: 0 none, 1 top (also when both), 2 left.
int WrongMargin(const FormMargins& margins);
