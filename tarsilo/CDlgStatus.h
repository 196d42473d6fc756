// The yellow progress dialog of the assignment computation: the heat
// generator in hand and "Abbrechen". It is modeless, but while a computation
// runs the other windows are disabled and every input event goes through the
// dialog: the dialog's own are handled at once, those aimed elsewhere wait
// until the computation ends and are then delivered in their order.
#pragma once

#include "tarsilo/CTarsiloDocCore.h"

#include <wx/dialog.h>
#include <wx/weakref.h>

#include <memory>
#include <string>

class wxTextCtrl;
class wxWindowDisabler;

class CDlgStatus : public wxDialog {
public:
    enum : int { IDD = 132, IDC_TEXT = 1026 };

    explicit CDlgStatus(wxWindow* parent);
    ~CDlgStatus() override;

    // Shows the dialog and holds the other windows until EndRun.
    void BeginRun();
    void EndRun();
    bool Running() const { return running_; }

    // Shows text, then handles every pending event: see above.
    void SetStatusText(const std::string& text);
    const std::string& StatusText() const { return text_; }
    // Lets the pending events through as SetStatusText does; for the model's
    // pump during a chain run.
    void PassPendingEvents();

    bool IsCancelled() const { return cancelled_; }
    void ClearCancel() { cancelled_ = false; }
    // Events aimed at other windows held back so far.
    size_t HeldEvents() const;

    // The dialog of the computation running now; null outside one.
    static CDlgStatus* Active();

private:
    class Gate;
    void OnCancel(wxCommandEvent&);
    void OnClose(wxCloseEvent&);
    void Release();

    wxTextCtrl* textCtrl_ = nullptr;
    std::string text_;
    bool cancelled_ = false;
    bool running_ = false;
    bool yielding_ = false;
    std::unique_ptr<wxWindowDisabler> disabler_;
    std::unique_ptr<Gate> gate_;
};

// The progress of the document core as the dialog shows it. The dialog is
// made on the parent at the first Show; it goes with this object, or with
// its parent when that goes first.
class StatusDialogProgress : public AssignmentProgress {
public:
    explicit StatusDialogProgress(wxWindow* parent) : parent_(parent) {}
    ~StatusDialogProgress() override;
    void Show() override;
    void Hide() override;
    void SetStatusText(const std::string& text) override;
    bool IsCancelled() const override;
    void ClearCancel() override;
    CDlgStatus* Dialog() const { return dialog_.get(); }

private:
    CDlgStatus* Ensure();
    wxWeakRef<wxWindow> parent_;
    wxWeakRef<CDlgStatus> dialog_;
    bool cancelledWithoutDialog_ = false;
};

// For the document's CreateProgress.
std::unique_ptr<AssignmentProgress> MakeStatusDialog(wxWindow* parent);
// The model's message pump of the second program: during a computation the
// events go through its dialog, otherwise the windows repaint.
void PumpTarsiloCalculationMessages();
