// The base of every input dialog of the library: binds the dialog to an
// object with persistent inputs and to the validated fields that show its
// value cells, keeps the message strip and makes Enter move to the next field.
#pragma once

#include "quorvel/fields/WxFieldHost.h"

#include <wx/bitmap.h>
#include <wx/dialog.h>

#include <string>

class CVxtBase;

class CVxtDialog : public wxDialog, public WxFieldHostOwner {
public:
    // Loads the layout of the template (the deliverable's id) when there is one;
    // without, a derived dialog lays itself out.
    CVxtDialog(int templateId, wxWindow* parent, CVxtBase* object, int messageMode,
               const FieldsDeliverable& fields = ActiveFields());
    ~CVxtDialog() override;

    // Shows the registered values (false) or takes them back (true); 0 when a
    // field's text fails its syntax check.
    int RefreshFields(bool save) override;
    virtual void CenterDialog();
    // Takes the fields and ends with the end code; stays open while a field is wrong.
    void Finish() override;
    void OnAfterProposal(CWerte& value) override { (void)value; }
    int HelpContext() const override { return helpContext; }

    void RegisterValue(CWerte* value) { host_.core.RegisterValue(value); }
    void UnregisterValue(CWerte* value) { host_.core.UnregisterValue(value); }
    void RegisterId(int id) { host_.core.RegisterId(id); }
    void SetHelpIdOfValues(uint16_t helpId) { host_.core.SetHelpIdOfValues(helpId); }

    FieldHost& Fields() { return host_.core; }
    WxFieldHost& FieldWindow() { return host_; }
    CPromptMessage* MessageWindow() const { return host_.strip; }

    std::string title;
    int helpContext = 0;
    int bitmapId = 0;
    wxBitmap bitmap;
    int templateId;

protected:
    // Centres, sets the caption and creates the message display. Derived
    // dialogs extend it and show their values with RefreshFields(false).
    virtual bool OnInitDialog();
    // Enter and the OK button.
    virtual void OnOK();

private:
    void OnInit(wxInitDialogEvent& event);
    void OnButton(wxCommandEvent& event);
    void OnHelpCommand(wxCommandEvent& event);
    void OnPaint(wxPaintEvent& event);
    void OnCharHook(wxKeyEvent& event);

    WxFieldHost host_;
};
