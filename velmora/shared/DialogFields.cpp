#include "velmora/shared/DialogFields.h"

#include "platform/wx/WxMnemonics.h"
#include "platform/wx/WxText.h"
#include "quorvel/fields/CParsedEdit.h"
#include "quorvel/fields/CPromptMessage.h"
#include "quorvel/fields/FieldRules.h"
#include "values/CMEinheitListe.h"

#include <wx/window.h>

#include <algorithm>

DialogFields::DialogFields(wxWindow* dialog) : dialog_(dialog), host_(dialog, *this, 1, ActiveFields()) {}

DialogFields::~DialogFields() {
    // The fields outlive their values while the dialog takes down its children.
    for (CParsedEdit* edit : edits_) edit->value = nullptr;
}

CParsedEdit* DialogFields::NumberField(int id, unsigned promptId) {
    wxWindow* old = dialog_->FindWindow(id);
    if (!old || old == dialog_) return nullptr;
    auto value = std::make_unique<CWDouble>();
    // No value id: the dialog, not the field, checks the number when it is taken.
    value->Init(0, 0, uint16_t(promptId), 0, fields::KindDecimal, kUnitMetre, kUnitMetre, 0, 0, 0, 0.0, 0.0, false);
    auto* edit = new CParsedEdit(value.get());
    if (!edit->SubclassDlgItem(dialog_, id)) {
        delete edit;
        return nullptr;
    }
    // The dialog reads the text at its buttons: nothing to tell on the way.
    edit->notifyChange = edit->notifyLeave = edit->charNotify = 0;
    values_.push_back(std::move(value));
    edits_.push_back(edit);
    return edit;
}

void DialogFields::ShowStrip() {
    host_.InitMessages();
    CPromptMessage* strip = host_.strip;
    if (!strip) return;
    // The strip draws one line: the dialog is made wide enough for the
    // longest text a field gives it, the refusal with the field's name.
    int widest = 0;
    for (CParsedEdit* edit : edits_) {
        const std::string label = vx::FromWx(vx::LabelOf(edit));
        const std::string refused = fields::RefusedKeyText(fields::KindDecimal);
        for (const std::string& text : {label.empty() ? refused : label + ": " + refused,
                                        fields::PromptText(*edit->value, host_.core.fields)})
            widest = std::max(widest, strip->GetTextExtent(vx::ToWx(text)).x);
    }
    strip->SetMinSize(wxSize(widest + 8, strip->GetMinSize().y));
}
