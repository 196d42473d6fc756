// What both kinds of input field share: the value cell they show, their
// notify flags, the function keys, the context menu and the actions.
#pragma once

#include "quorvel/fields/FieldRules.h"
#include "quorvel/fields/FieldsDeliverable.h"

#include <wx/event.h>

#include <string>

class CWerte;
class FieldEvent;
class wxMenu;
class wxWindow;

class CDlgItem {
public:
    explicit CDlgItem(CWerte* value, const FieldsDeliverable& fields = ActiveFields());
    virtual ~CDlgItem() = default;

    // The field's text as the host reads and writes it; never cut.
    virtual std::string GetFieldText() = 0;
    virtual void SetFieldText(const std::string& text) = 0;
    virtual bool IsEditField() const { return false; }
    virtual void MarkModified(bool modified) { (void)modified; }

    wxWindow* Host() const;
    long Send(int message, long wParam, wxWindow* window = nullptr);
    void Post(int message, long wParam, wxWindow* window = nullptr);

    // The prompt into the host's message display, unless an error stands.
    void ShowPrompt();
    // Function keys released in the field.
    void HandleKeyUp(wxKeyEvent& event);
    // Runs a field action; false when the value does not offer it.
    bool DoAction(fields::Action action);
    // The field's context menu (nullptr when the value offers nothing).
    wxMenu* BuildContextMenu();
    void ShowContextMenu();
    // The help context of the field: the value's, else the host's.
    int HelpId() const;

    // Whether the new focus stays within the field's dialog and is no Cancel.
    bool LeavesTowardsCheck(wxWindow* newFocus) const;

    wxWindow* alternativeInput = nullptr;
    int inputSwitchLock = 0;
    CWerte* value = nullptr;
    wxWindow* fieldWindow = nullptr;
    int errorMark = 0;
    int clearModifiedAtFocus = 1;
    int notifyLeave = 1;
    int notifyChange = 1;
    int notifyNavigation = 1;
    int spare = 0;
    const FieldsDeliverable& fields;

    // Set when Shift goes down in a combo field, cleared when it goes up in any.
    static bool shiftMark;
    // A field taking the focus back after a failed check; the others keep quiet meanwhile.
    static CDlgItem* reclaiming;

protected:
    // Binds the handlers every field has; called once the window exists.
    void BindCommon();
    virtual void OnEditCommand(int command) { (void)command; }
    virtual bool HasEditMenu() const { return false; }
    virtual fields::EditState EditMenuState() { return {}; }

private:
    void OnMenu(wxCommandEvent& event);
    void OnFieldQuery(FieldEvent& event);
};
