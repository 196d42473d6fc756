// The main program's only view: the input form (101). The user picks fuel,
// manufacturer, heat generator and chimney system, sets the options and
// starts the computation; the document's diagram window lies over the
// form's placeholder.
#pragma once

#include "velmora/shared/CWrzKatalog.h"

#include <wx/docview.h>

#include <cstdint>
#include <memory>
#include <vector>

class wxButton;
class wxCheckBox;
class wxChoice;
class wxPanel;
class wxStaticText;
class CComboWrzTyp;
class CCombVelmora;
class CVelmoraDoc;

class CVelmoraView : public wxView {
public:
    CVelmoraView();
    ~CVelmoraView() override;

    bool OnCreate(wxDocument* doc, long flags) override;
    bool OnClose(bool deleteWindow) override;
    void OnDraw(wxDC*) override {}
    void OnUpdate(wxView* sender, wxObject* hint = nullptr) override;
    // The frame shows "<document> - Velmora".
    void OnChangeFilename() override;

    wxPanel* Form() const { return form_; }
    CVelmoraDoc* Document() const;
    CWrzKatalog& Catalogue() { return *catalogue_; }

    // Control ids of the form.
    enum : int {
        IDC_MACH_ET = 1000, IDC_DIAGRAM = 1001, IDC_FUEL = 1002, IDC_MANUFACTURER = 1004, IDC_TYPE = 1005,
        IDC_SYSTEM = 1006, IDC_SQUARE = 1007, IDC_MOIST = 1008, IDC_YRANGE_UP = 1012, IDC_YRANGE_DOWN = 1013,
        IDC_HINT = 1027, IDC_WITHOUT_PART_LOAD = 1028,
    };

    // The handlers, public so that the start and a file load can drive them.
    void OnShowStartChoice();
    void OnNewCalculation();
    void OnSelchangeFuel();
    void OnSelchangeManufacturer();
    void OnSelchangeType();
    void OnSelchangeSystem();
    void OnWithoutPartLoad();
    void OnYRange(bool up);
    void OnDropdownType();
    void OnCloseupType();
    void OnSetfocusType();

private:
    bool BuildForm();
    void FillManufacturers(int fuelPosition);
    void HideDiagram();
    void InvalidateResults();
    // After a file load: every list from the document, then the computation.
    void ReselectFromDocument();
    void PostToFrame(int id);

    wxPanel* form_ = nullptr;
    wxChoice* fuel_ = nullptr;
    wxChoice* manufacturer_ = nullptr;
    CComboWrzTyp* type_ = nullptr;
    CCombVelmora* system_ = nullptr;
    wxCheckBox* square_ = nullptr;
    wxCheckBox* moist_ = nullptr;
    wxCheckBox* withoutPartLoad_ = nullptr;
    wxStaticText* hint_ = nullptr;
    // The form's lists and the type combo read the catalogue; the document
    // only loads the chosen line from it (ChooseHeatGenerator).
    std::unique_ptr<CWrzKatalog> catalogue_;
    std::vector<int64_t> manufacturerOffsets_;
    bool reselecting_ = false;
    int reselectedFile_ = 0;  // the document's count of files read when the form last took one

    wxDECLARE_DYNAMIC_CLASS(CVelmoraView);
};
