// The application object of the second program: start-up in its fixed
// order, the application's commands, and the model's queries of the active
// document.
#pragma once

#include "tarsilo/CTarsiloDocCore.h"
#include "velmora/shared/CProgramApp.h"

class CTarsiloDoc;

class CTarsiloApp : public CProgramApp {
public:
    CTarsiloApp();
    bool OnInit() override;

    CTarsiloDoc* ActiveDocument() const;

private:
    void RouteCommands();
    void OnFileNew(wxCommandEvent&);

    TarsiloDocValues docValues_;
};

wxDECLARE_APP(CTarsiloApp);

// The single-document template of string 128: document, frame and view.
wxDocTemplate* CreateTarsiloTemplate(wxDocManager* manager);
