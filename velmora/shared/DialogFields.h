// The number fields of the program's small dialogs, as the forms have them:
// a key a field does not take is refused with a beep, and the strip along
// the dialog's bottom says, naming the field, what it takes. While a field
// has the keyboard the strip shows what the dialog allows in it.
#pragma once

#include "quorvel/fields/WxFieldHost.h"
#include "values/CWDouble.h"

#include <memory>
#include <vector>

class CParsedEdit;
class CPromptMessage;
class wxWindow;

class DialogFields : public WxFieldHostOwner {
public:
    explicit DialogFields(wxWindow* dialog);
    ~DialogFields() override;
    DialogFields(const DialogFields&) = delete;
    DialogFields& operator=(const DialogFields&) = delete;

    // Puts a field for a decimal number in the place of the layout's text
    // control id, keeping its text; promptId: the text shown while it has
    // the keyboard. Null when the layout has no such control.
    CParsedEdit* NumberField(int id, unsigned promptId);
    // Adds the strip below the dialog's layout; once the fields are in place.
    void ShowStrip();
    CPromptMessage* Strip() const { return host_.strip; }

    // The dialog checks the numbers itself, at its buttons.
    int RefreshFields(bool save) override {
        (void)save;
        return 1;
    }
    void Finish() override {}
    void OnAfterProposal(CWerte& value) override { (void)value; }

private:
    wxWindow* dialog_;
    WxFieldHost host_;
    std::vector<std::unique_ptr<CWDouble>> values_;
    std::vector<CParsedEdit*> edits_;
};
