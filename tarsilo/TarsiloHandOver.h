// The hand-over of one result row to AURELIA: the row's flue system is
// written as "~uebergabe.kfx" in the main program's calculation-file layout
// into the current directory, and AURELIA is started with a record naming
// the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CTarsiloDocCore;
struct AssignmentRow;

class TarsiloHandOver {
public:
    enum Status { Written, RowFromFile, NoHeatGenerator };

    // The row's flue system in the calculation-file layout: the heat
    // generator at the row's catalogue offset, the chimney in the row's
    // section, the connecting piece on the generator's outlet (under
    // positive pressure in the chimney's section) and the installation room
    // for its output. The document itself stays as it is.
    static Status Bytes(CTarsiloDocCore& doc, const AssignmentRow& row, std::vector<uint8_t>& bytes);

    // Enabled with a selected row and "Aurelia"/"INI" set.
    static bool Enabled(const CTarsiloDocCore& doc, int selectedRow);
    // Writes the file and starts AURELIA; false (with a message where the
    // user must act) when nothing was started.
    static bool Run(CTarsiloDocCore& doc, int selectedRow);
};
