// For widget tests: the frame, the document manager and one document on the
// sample data, with a sample oil boiler and system 1 chosen.
#pragma once

#include "velmora/shared/CMainFrame.h"
#include "velmora/CVelmoraApp.h"
#include "velmora/CVelmoraDoc.h"
#include "velmora/CommandIds.h"
#include "velmora/VelmoraSettings.h"

#include "model/CModul.h"
#include "model/CrossSectionTables.h"
#include "model/FuelTable.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "velmora/shared/CWrzKatalogWaerme.h"
#include "testsupport/velmora/ProgramFrameTestEnv.h"
#include "testsupport/platform/TestProfile.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/xrc/xmlres.h>

#include <cstdlib>
#include <memory>
#include <unistd.h>

inline std::string TempPath(const std::string& name) {
    return vx::JoinPath(vx::TempDir(), "vxdoc-" + std::to_string(::getpid()) + "-" + name);
}

class DocumentFrameTestBase : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadProgramResources("velmora"); }
    // extraProfile: more INI text for the test's own profile.
    void SetUpDocument(const std::string& extraProfile = {}) {
        profile_ = std::make_unique<ScopedTestProfile>("[Global]\nHinweis=1\n[Datenbank]\nPfad=" + SampleData() +
                                                       "\n" + extraProfile);
        vx::Strings().Clear();
        LoadProgramStrings();
        FillFuelTable(VelmoraFuelRows());
        LoadCrossSectionTables();
        frame_ = OpenProgramFrame(manager_, &CreateVelmoraTemplate, ProgramFrameTitle());
        ASSERT_NE(frame_, nullptr);
        doc_ = wxDynamicCast(manager_->CreateNewDocument(), CVelmoraDoc);
        ASSERT_NE(doc_, nullptr);
        CWrzKatalog katalog(SampleData());
        for (const WrzManufacturer& m : katalog.ReadManufacturers(1))
            for (const WrzType& t : katalog.ReadTypes(m.offset))
                if (t.typeDesignation == "Oleomat 29-2") {
                    int64_t at = t.offset;
                    LoadHeatGenerator(katalog, doc_->heatGenerator, at, {}, CWrzKatalog::OpenOperation::Closed);
                }
        int system = 1;
        doc_->NewSystemType(system, 0, 0);
    }
    void TearDown() override {
        SetCalculationMessagePump(nullptr);
        CloseProgramFrame(manager_, frame_);
        profile_.reset();
    }
    void Calculate() {
        wxCommandEvent event(wxEVT_MENU, ID_CALCULATE);
        doc_->ProcessEvent(event);
    }

    std::unique_ptr<ScopedTestProfile> profile_;
    wxDocManager* manager_ = nullptr;
    CMainFrame* frame_ = nullptr;
    CVelmoraDoc* doc_ = nullptr;
    vx::ScopedScriptedMessages messages_;
};
