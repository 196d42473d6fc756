// The application object of the main program: start-up in its fixed order,
// the application's commands, and the model's queries of the active document.
#pragma once

#include "velmora/DocumentValues.h"
#include "velmora/shared/CProgramApp.h"

class CVelmoraDoc;

class CVelmoraApp : public CProgramApp {
public:
    CVelmoraApp();
    bool OnInit() override;
    int OnExit() override;

    CVelmoraDoc* ActiveDocument() const { return docValues_.ActiveDocument(); }

private:
    void RouteCommands();
    void OnToggleHint(wxCommandEvent&);

    DocumentValues docValues_;
};

wxDECLARE_APP(CVelmoraApp);

// The single-document template of string 128: document, frame and view.
wxDocTemplate* CreateVelmoraTemplate(wxDocManager* manager);
