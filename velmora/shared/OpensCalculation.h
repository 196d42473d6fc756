// A program's document as the frame opens files into it: the one document
// reads the file itself, so that a broken file leaves it open as it was.
#pragma once

class wxString;

class OpensCalculation {
public:
    virtual ~OpensCalculation() = default;
    // False, after a message, when the file could not be read.
    virtual bool OpenCalculation(const wxString& path) = 0;
};
