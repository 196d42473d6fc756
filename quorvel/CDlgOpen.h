// The start dialog: the caller's choices, a new project of either kind or
// an existing one, the latter from the recently used projects.
#pragma once

#include "quorvel/RecentProjects.h"

#include <wx/bitmap.h>
#include <wx/dialog.h>

#include <string>
#include <vector>

class wxListBox;
class wxRadioButton;

struct StartDialogTexts {
    std::string title, text, choice1, choice2, openChoice;
    // Picture ids; 0 draws none, and a second of 0 hides the second choice.
    int icons[3] = {0, 0, 0};
};

class CDlgOpen : public wxDialog {
public:
    CDlgOpen(wxWindow* parent, const StartDialogTexts& texts);

    // The end codes of ShowModal.
    enum : int { FirstChoice = 10, SecondChoice = 11, OpenOther = 12, OpenRecent = 13, Cancelled = 2 };
    enum : int {
        IDD = 175,
        IDC_LIST = 1011,
        IDC_OPEN = 1012,
        IDC_FIRST = 1013,
        IDC_SECOND = 1015,
        IDC_ICON3 = 1034,
        IDC_ICON1 = 1035,
        IDC_ICON2 = 1037,
        IDC_TEXT = 1310,
    };

private:
    void OnWeiter();
    void EnableList();

    std::vector<RecentProject> recent_;
    wxRadioButton* choices_[3] = {};
    wxListBox* list_ = nullptr;
    int listLine_ = 0;  // the line chosen, kept while the list is disabled
};

// The picture of a start dialog choice, resources/quorvel/icon<id>.xpm;
// not ok for 0 or an unknown id.
wxBitmap StartIcon(int id);
