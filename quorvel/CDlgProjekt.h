// The project dialog: number, editor, date, recipient and site of one
// project record, with the address book, the place table, the sweep-district
// library and the hand-overs of the other programs as address sources.
#pragma once

#include "quorvel/fields/CVxtDialog.h"
#include "values/CProjekt.h"
#include "values/CWString.h"

#include <array>
#include <map>
#include <string>

class CMyComboBox;

class CDlgProjekt : public CVxtDialog {
public:
    CDlgProjekt(wxWindow* parent, const CProjekt& record);

    // The dialog's copy: complete after "&Weiter".
    CProjekt projekt;
    // The three search-index texts and the numeric search value of the sweep-district library.
    CWString index1, index2, index3, kdnrSearch;

    enum : int {
        IDD = 388,
        IDC_NUMMER = 1203, IDC_BEARBEITER = 1215, IDC_DATUM = 1205, IDC_KDNR = 1224,
        IDC_E_NAME1 = 1207, IDC_E_NAME2 = 1208, IDC_E_STR = 1209, IDC_E_PLZ = 1544, IDC_E_ORT = 1210,
        IDC_E_ANSPRECH = 1211, IDC_E_TEL = 1212, IDC_E_FAX = 1213, IDC_E_HANDY = 1225, IDC_E_EMAIL = 1558,
        IDC_S_NAME1 = 1217, IDC_S_NAME2 = 1218, IDC_S_STR = 1219, IDC_S_PLZ = 1545, IDC_S_ORT = 1220,
        IDC_INDEX1 = 1221, IDC_INDEX2 = 1222, IDC_INDEX3 = 1223,
        IDC_DATENBANK = 1170, IDC_E_TO_DB = 1441, IDC_S_TO_DB = 1442, IDC_TO_SITE = 1553, IDC_TO_RECIPIENT = 1554,
        IDC_PICK1 = 1555, IDC_PICK2 = 1556, IDC_TESSIVO = 1430, IDC_ORVISTO = 1494, IDC_FEROLIX = 1557,
        IDC_KEHR_CAPTION = 1050, IDC_LABEL1 = 1051, IDC_LABEL2 = 1052, IDC_LABEL3 = 1053, IDC_ORV_CAPTION = 1055
    };

    // The address sources, as their buttons run them.
    void OnDatenbank();
    void OnRecipientToDatabase();
    void OnSiteToDatabase();
    void OnTessivo();
    void OnOrvisto();
    // Reads the clipboard as text; tests give their own.
    virtual bool ClipboardText(std::string& text);
    void OnSearchIndexChanged();
    void OnKehrPick();

    CMyComboBox* EditorCombo() const;

protected:
    bool OnInitDialog() override;
    void Finish() override;

    // Shows the whole record again after a source changed it.
    void ShowRecord();
    // The heights of recipient and site from the place table.
    static long HeightOf(const std::string& plz, const std::string& ort);

private:
    void Build();
    void FillEditors();
    void StartNewProject();
    void ShowKehrControls();
    void SaveEditor();
    void TakeKehrAddress(const std::array<std::string, 9>& buffers);
    int AppendAddress(bool recipient);
    // False, after naming the field and what would be cut, when a text of the
    // address is longer than its column in the address book.
    bool FitsAddressBook(bool recipient);
    // Tells the user that the address book could not take the address.
    int UpdateFailed();

    bool threePartIndex_ = false;
    // The fields as a message names them: group and label.
    std::map<int, std::string> fieldNames_;
};
