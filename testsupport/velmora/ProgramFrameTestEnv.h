// For widget tests of either program: its resources, the main frame with the
// document manager as the start-up makes them, and the pump that lets posted
// events run.
#pragma once

#include "platform/Files.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "velmora/shared/CMainFrame.h"
#include "velmora/shared/CProgramApp.h"
#include "testsupport/velmora/SampleDataTestEnv.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/ctrlsub.h>
#include <wx/docview.h>
#include <wx/image.h>
#include <wx/xrc/xmlres.h>

#include <cstdlib>
#include <string>

// The program's windows from folder under the resources; for SetUpTestSuite.
inline void LoadProgramResources(const char* folder) {
    wxInitAllImageHandlers();
    wxXmlResource::Get()->InitAllHandlers();
    const std::string xrc = vx::ResourceDir() + "/" + folder + "/" + folder + ".xrc";
    ASSERT_TRUE(wxXmlResource::Get()->Load(vx::ToWx(xrc)));
}

// The document manager, the program's template and the main frame as the
// top window; nullptr when the frame could not be made.
inline CMainFrame* OpenProgramFrame(wxDocManager*& manager, wxDocTemplate* (*createTemplate)(wxDocManager*),
                                    const wxString& title) {
    manager = CreateProgramDocManager();
    createTemplate(manager);
    auto* frame = new CMainFrame;
    if (!frame->Create(manager, title)) return nullptr;
    wxTheApp->SetTopWindow(frame);
    return frame;
}

// Closes the documents unasked, then the frame, and frees the manager.
inline void CloseProgramFrame(wxDocManager*& manager, CMainFrame*& frame) {
    for (wxDocument* doc : manager->GetDocumentsVector()) doc->Modify(false);
    manager->CloseDocuments(true);
    frame->Destroy();
    frame = nullptr;
    wxTheApp->SetTopWindow(nullptr);
    for (int i = 0; i < 5; ++i) wxTheApp->ProcessIdle();
    delete manager;
    manager = nullptr;
}

// A list choice as the user makes it: the selection, then the control's event.
inline void ChooseItem(wxItemContainerImmutable* list, wxWindow* window, wxEventType type, int item) {
    list->SetSelection(item);
    wxCommandEvent event(type, window->GetId());
    event.SetEventObject(window);
    event.SetInt(item);
    window->GetEventHandler()->ProcessEvent(event);
}

inline void PumpEvents() {
    for (int i = 0; i < 10; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
    }
}
