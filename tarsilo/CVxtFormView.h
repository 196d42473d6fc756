// The window content of a form: the validated-field protocol of the dialog
// base on a panel that never ends. Enter moves to the next field, Alt+Enter
// and command 1060 take the fields; the result list reports its key releases
// to the form.
#pragma once

#include "quorvel/fields/WxFieldHost.h"

#include <wx/listctrl.h>
#include <wx/panel.h>

#include <string>

class CVxtBase;

class CVxtFormView : public wxPanel, public WxFieldHostOwner {
public:
    // The command that takes the fields without leaving the form.
    static constexpr int kApplyCommand = 1060;

    CVxtFormView(wxWindow* parent, CVxtBase* object, int messageMode,
                 const FieldsDeliverable& fields = ActiveFields());
    ~CVxtFormView() override;

    int RefreshFields(bool save) override { return host_.core.RefreshFields(save); }
    virtual void CenterDialog() { CentreOnParent(); }
    // Takes the fields; a form view is never ended.
    virtual void ApplyFields() { RefreshFields(true); }
    void Finish() override { ApplyFields(); }
    void OnAfterProposal(CWerte& value) override { (void)value; }
    // Enter: on to the next control, or the fields taken on OK or with Alt held.
    virtual void OnEnterKey() { host_.Enter(false); }
    // The caption and the message display; called from the first update.
    virtual bool InitFields();
    int HelpContext() const override { return helpContext; }

    // The form view's own answers to the field messages.
    bool OnFieldMessage(FieldEvent& event) override;
    // A key was released in the result list.
    virtual void OnListKeyUp(wxWindow* list) { (void)list; }

    void RegisterObject(CWerte* value) { host_.core.RegisterValue(value); }
    void RegisterId(int id) { host_.core.RegisterId(id); }

    FieldHost& Fields() { return host_.core; }
    WxFieldHost& FieldWindow() { return host_; }
    int EndCode() const { return host_.core.endCode; }

    std::string title;
    int helpContext = 0;

private:
    void OnCharHook(wxKeyEvent& event);
    void OnHelpCommand(wxCommandEvent& event);
    void OnApplyCommand(wxCommandEvent& event);

    WxFieldHost host_;
};

// The result list: every key release is reported to the form.
class CVxtListCtrl : public wxListCtrl {
public:
    CVxtListCtrl(wxWindow* parent, int id, long style);

private:
    void OnKeyUp(wxKeyEvent& event);
};
