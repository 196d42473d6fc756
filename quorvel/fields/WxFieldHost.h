// The field protocol on a window: the dialog base and the form view each own
// one and hand it their overridable steps. It answers the fields' events,
// colours labels and fields, and shows prompts in the message strip or the
// main frame's status bar.
#pragma once

#include "quorvel/fields/FieldHost.h"

#include <wx/colour.h>

class CPromptMessage;
class FieldEvent;
class wxChildFocusEvent;
class wxStatusBar;
class wxWindow;

// The steps a dialog or form view may extend.
class WxFieldHostOwner {
public:
    virtual ~WxFieldHostOwner() = default;
    virtual int RefreshFields(bool save) = 0;
    virtual void Finish() = 0;
    virtual void OnAfterProposal(CWerte& value) = 0;
    // A derived window's own answer to a field message; false leaves it to the base.
    virtual bool OnFieldMessage(FieldEvent& event) { (void)event; return false; }
    virtual int HelpContext() const { return 0; }
};

class WxFieldHost : public FieldHostWindow {
public:
    WxFieldHost(wxWindow* window, WxFieldHostOwner& owner, int messageMode, const FieldsDeliverable& fields);
    ~WxFieldHost() override;

    // Creates the message strip (mode 1) or takes the main frame's status bar (mode 2).
    void InitMessages();
    // Enter: on to the next field, or the owner's finish (also when nothing
    // has the focus, unless nothing-focused does nothing).
    void Enter(bool finishWithoutFocus);
    // Labels blue, wrong fields red, the focused edit field cyan.
    void ApplyColours();

    static const wxColour kLabelBlue, kWrongRed, kFocusCyan;

    FieldHost core;
    int messageMode;
    // Alt was down on the last key the window saw: a button's mnemonic
    // presses it only after the toolkit's animation, when Alt may be up again.
    bool altKey = false;
    CPromptMessage* strip = nullptr;
    wxStatusBar* statusBar = nullptr;

    // FieldHostWindow
    bool HasControl(int id) override;
    bool IsEditField(int id) override;
    bool IsModified(int id) override;
    bool IsTextValid(int id) override;
    bool HasErrorMark(int id) override;
    std::string ControlText(int id) override;
    void SetControlText(int id, const std::string& text) override;
    bool HasFocus(int id) override;
    void SelectAll(int id) override;
    void FocusControl(int id) override;
    std::string ReadFieldValue(int id) override;
    bool ShowMessage(int mode, const std::string& text) override;
    void ShowInputErrors(const std::string& text) override;
    bool ChooseUnit(uint16_t& unit) override;
    void CommandToMainWindow(int command) override;
    void PostOk() override;
    void Repaint() override;
    int RefreshFields(bool save) override { return owner_.RefreshFields(save); }
    int DataExchange(bool save) override;
    void Finish() override { owner_.Finish(); }
    void OnAfterProposal(CWerte& value) override { owner_.OnAfterProposal(value); }

private:
    wxWindow* Control(int id) const;
    void OnField(FieldEvent& event);
    void OnChildFocus(wxChildFocusEvent& event);
    void Colour(wxWindow* control, wxWindow* focus);

    wxWindow* window_;
    WxFieldHostOwner& owner_;
};
