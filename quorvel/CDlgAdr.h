// The address book form: one record of ADRESSE at a time, with browse, new,
// save, delete and search. The project dialogs open it to take the current
// record as recipient (1058) or site (4).
#pragma once

#include "quorvel/fields/CVxtDialog.h"
#include "values/CVxtBase.h"
#include "values/CWString.h"

#include <string>
#include <vector>

class CAdressTab;
class CParsedEdit;
class FieldEvent;

class CDlgAdr : public CVxtDialog, private CVxtBase {
public:
    explicit CDlgAdr(wxWindow* parent);

    // The form's result as its callers know it: 1, 1058, 4 or 2.
    static int ResultCode(int modalResult);

    virtual void RecordToDialog();
    virtual void DialogToRecord();

    // The buttons' work.
    void OnNeu();
    void OnSave();
    void OnNext();
    void OnPrev();
    void OnDelete();
    virtual void OnSearch();

    // False when the address table could not be opened: nothing is edited.
    bool Usable() const { return usable_; }
    CParsedEdit* Edit(int id) const;

    CWString name1, name2, strasse, plz, ort, land, telefon, telefax, ansprech, bemerkung;

protected:
    enum RowKind { RowEdit, RowMemo, RowHidden, RowTownCombo };
    struct Row {
        int id;
        unsigned label;  // string id
        CWString* cell;
        // Its column in the address book; none for a memo, which holds any length.
        const char* column;
        // Typing stops here and never beyond the column's width; 0: at that width.
        size_t limit;
        RowKind kind = RowEdit;
        uint16_t flags = 0;
    };
    struct Button {
        int id;
        std::string label;
    };

    // For the second form: Build lays out the rows and binds each to its cell.
    CDlgAdr(wxWindow* parent, int templateId);
    void Build(const std::vector<Row>& rows, const std::vector<Button>& buttons);
    bool OnInitDialog() override;
    bool OnFieldMessage(FieldEvent& event) override;

    CAdressTab* Tab() const;
    // A record is current (not before the first or past the last).
    bool OnRecord() const;
    // The fields show the current record, not a new entry.
    bool ShowsRecord() const { return !newEntry_ && OnRecord(); }
    bool InNewEntry() const { return newEntry_; }
    // A new entry is given up (another record is shown now): "&Neu" again.
    void LeaveNewEntry();
    // Shows the current record, or empty fields when there is none.
    void ShowRecord();
    // Writes text into the dialog's field of a cell without touching the others.
    void ShowCell(CWString& cell);
    static void InitCell(CWString& cell, int id, uint16_t flags = 0);

    wxWindow* townControl_ = nullptr;

private:
    // CVxtBase: the form keeps no defaults.
    void LoadDefault(CWerte&) override {}
    void SaveDefaults() override {}
    void OnUnitChanged(CWerte&) override {}
    int OnValueChanged(CWerte&) override { return 1; }
    void UpdateDependentValues() override {}
    std::string GetName() override { return "Adressdatenbank"; }
    int CheckInputs(std::string&, std::vector<int>*) override { return 0; }

    void EndWith(int code);
    // The table is gone: only closing is left.
    void Refuse();
    // Every field of the form is empty.
    bool EntryEmpty();
    // Appends the new entry; false (after saying so) when the table refused.
    bool StoreNewEntry();
    // False, after naming the field, when a column would cut its text.
    bool FitsColumns();

    bool usable_ = true;
    // "&Neu" was pressed: the fields are a record not yet in the table.
    bool newEntry_ = false;
    std::vector<int> editIds_;
    std::vector<Row> rows_;
};
