// The second program's only form (101): the chimney inputs, fuel, system,
// shape and manufacturers, "Mach Et", the result list with its order and
// the heat-generator sheet over it, and the start dialog.
#pragma once

#include "tarsilo/CVxtFormView.h"

#include <memory>
#include <string>

class wxButton;
class wxCheckBox;
class wxCheckListBox;
class wxChoice;
class wxStaticText;
class CDlgWrzInfo;
class CMyComboBox;
class CParsedEdit;
class CTarsiloDoc;

class CTarsiloView : public CVxtFormView {
public:
    enum : int {
        IDC_LABEL_BASIS = 1000, IDC_FUEL = 1004, IDC_MANUFACTURER_LABEL = 1009,
        IDC_RESULT_LABEL = 1011, IDC_RESULTS = 1012, IDC_FU = 1015, IDC_MANUFACTURERS = 1016, IDC_MACH_ET = 1017,
        IDC_SHAPE = 1018, IDC_SIZE_LABEL = 1021, IDC_TIMES = 1022, IDC_ROW_COUNT = 1023, IDC_ALL = 1024,
        IDC_NONE = 1025, IDC_WITHOUT_PART_LOAD = 1026, IDC_SHOW_INFO = 1033,
    };
    enum : int { kColumnCount = 5 };

    CTarsiloView(wxWindow* parent, CTarsiloDoc& doc);
    ~CTarsiloView() override;

    // The first update: lists, fields, the sheet; then the start dialog is posted.
    void OnInitialUpdate();
    // The document's values changed (a file was read, a command ran).
    void OnDocumentUpdate();

    // The handlers, public so that tests drive them as the controls do.
    void OnMachEt();
    void OnFuelChange();
    void OnSystemChange();
    void OnShapeChange();
    void OnAlle();
    void OnKeiner();
    void OnOhneTeillast();
    void OnInfoAnzeigen();
    void OnHeaderClick(int column);
    void OnStartDialog();
    // 10 project data, 12 open a file, 13 reopen the last project; others nothing.
    void OnStartAnswer(int answer);
    void ShowHeatGeneratorInfo();

    // Takes the controls into the document, or shows the document in them.
    void DoDataExchange(bool save);
    // The document's rows into the list, in their order.
    void FillResultList();
    int SelectedRow() const;

    CVxtListCtrl* ResultList() const { return results_; }
    CDlgWrzInfo* InfoWindow() const { return info_; }
    CMyComboBox* SystemCombo() const { return system_; }
    wxChoice* FuelChoice() const { return fuel_; }
    wxChoice* ShapeChoice() const { return shape_; }
    wxCheckListBox* ManufacturerList() const { return manufacturers_; }
    bool NoOffset() const { return noOffset_; }

    void OnListKeyUp(wxWindow* list) override;
    bool OnFieldMessage(FieldEvent& event) override;

private:
    void Build();
    void FillManufacturers();
    void FillSystems();
    void SetShapeTexts(bool deleteRows);
    void ShowRowCount();
    void FitColumns();
    void DeleteRows();
    void TakeManufacturerChecks();
    void PlaceInfoWindow();
    void PostCommand(int id);

    CTarsiloDoc& doc_;
    CParsedEdit* edits_[5] = {};
    wxChoice* fuel_ = nullptr;
    CMyComboBox* system_ = nullptr;
    wxCheckBox* fu_ = nullptr;
    wxChoice* shape_ = nullptr;
    wxStaticText* sizeLabel_ = nullptr;
    wxStaticText* times_ = nullptr;
    wxCheckListBox* manufacturers_ = nullptr;
    wxCheckBox* withoutPartLoad_ = nullptr;
    wxCheckBox* showInfo_ = nullptr;
    CVxtListCtrl* results_ = nullptr;
    wxStaticText* rowCount_ = nullptr;
    CDlgWrzInfo* info_ = nullptr;
    bool infoChecked_ = false;
    bool withoutPartLoadChecked_ = false;
    bool updating_ = false;
    bool noOffset_ = false;
    bool initialised_ = false;
    int filesSeen_ = 0;
};
