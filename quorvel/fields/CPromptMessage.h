// The message strip along the bottom of a dialog: the prompt of the focused
// field in blue, an error in red.
#pragma once

#include "quorvel/fields/FieldsDeliverable.h"

#include <wx/window.h>

#include <string>

class CPromptMessage : public wxWindow {
public:
    CPromptMessage(wxWindow* owner, const FieldsDeliverable& fields = ActiveFields());

    // Shows a text (Tab, CR and LF as blanks) in mode 0/3 prompt or 1 error;
    // a null text shows the current one again. An error beeps.
    void ShowText(int mode, const std::string* text);

    const std::string& Text() const { return text_; }
    const std::string& PreviousText() const { return previous_; }
    int Mode() const { return mode_; }
    wxColour BackgroundFor(int mode) const;

private:
    void OnPaint(wxPaintEvent& event);
    void Dock();

    wxWindow* owner_;
    const FieldsDeliverable& fields_;
    std::string text_;
    std::string previous_;
    int mode_ = 0;
};
