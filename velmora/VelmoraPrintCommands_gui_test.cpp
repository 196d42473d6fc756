// The print and mail commands of the document inside the framework.
#include "velmora/CMainFrame.h"
#include "velmora/CVelmoraApp.h"
#include "velmora/CVelmoraDoc.h"
#include "velmora/CommandIds.h"
#include "velmora/VelmoraSettings.h"

#include "model/CrossSectionTables.h"
#include "model/FuelTable.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/System.h"
#include "platform/wx/WxText.h"
#include "velmora/shared/CVelmoraPrint.h"
#include "velmora/shared/CWrzKatalogWaerme.h"
#include "velmora/shared/TestProfile.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/xrc/xmlres.h>

#include <cstdlib>
#include <unistd.h>

namespace {

std::string SampleData() {
    const char* dir = std::getenv("VX_SOURCE_DIR");
    return vx::JoinPath(dir ? dir : ".", "data");
}

std::string TempPath(const std::string& name) {
    return vx::JoinPath(vx::TempDir(), "vxdoc-" + std::to_string(::getpid()) + "-" + name);
}

class PrintCommandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        wxInitAllImageHandlers();
        wxXmlResource::Get()->InitAllHandlers();
        ASSERT_TRUE(wxXmlResource::Get()->Load(vx::ToWx(vx::ResourceDir() + "/velmora/velmora.xrc")));
    }
    void SetUp() override {
        profile_ = std::make_unique<ScopedTestProfile>("[Global]\nHinweis=1\n[Datenbank]\nPfad=" + SampleData() + "\n[LuL]\nFormular0=" + SampleData() + "/Velmora.LST\n");
        vx::Strings().Clear();
        LoadProgramStrings();
        FillFuelTable(VelmoraFuelRows());
        LoadCrossSectionTables();
        manager_ = CreateVelmoraDocManager();
        CreateVelmoraTemplate(manager_);
        frame_ = new CMainFrame;
        ASSERT_TRUE(frame_->Create(manager_, VelmoraFrameTitle()));
        wxTheApp->SetTopWindow(frame_);
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
        for (wxDocument* doc : manager_->GetDocumentsVector()) doc->Modify(false);
        manager_->CloseDocuments(true);
        frame_->Destroy();
        wxTheApp->SetTopWindow(nullptr);
        for (int i = 0; i < 5; ++i) wxTheApp->ProcessIdle();
        delete manager_;
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

} // namespace

TEST_F(PrintCommandTest, MailCommandHandsTheExportToTheMailProgram) {
    // A stub mail program first on the PATH records its arguments.
    const std::string bin = TempPath("bin"), log = TempPath("xdg-email.log");
    vx::MakeDirs(bin);
    vx::RemoveFile(log);
    const std::string stub = vx::JoinPath(bin, "xdg-email");
    ASSERT_TRUE(vx::WriteFileAtomic(stub, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '" + log + "'; done\n"));
    ASSERT_EQ(vx::RunProgram("chmod", {"+x", stub}), 0);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (bin + ":" + oldPath).c_str(), 1);
    doc_->project.Text(CProjekt::EmpfEmail) = "kunde@example.org";
    wxCommandEvent calculate(wxEVT_MENU, ID_CALCULATE);
    doc_->ProcessEvent(calculate);
    ASSERT_GE(doc_->points.size(), 2u);

    wxCommandEvent mail(wxEVT_MENU, ID_FILE_SEND_MAIL);
    frame_->GetEventHandler()->ProcessEvent(mail);
    ::setenv("PATH", oldPath.c_str(), 1);
    EXPECT_TRUE(messages_.service.shown.empty());
    ASSERT_EQ(Mailer().SentFiles().size(), 1u);
    const std::string file = vx::JoinPath(Mailer().SentFiles()[0], "unbenannt.PDF");
    std::string args;
    ASSERT_TRUE(vx::ReadWholeFile(log, args));
    EXPECT_EQ(args, "--utf8\n--attach\n" + file + "\n--subject\nunbenannt\nkunde@example.org\n");
    EXPECT_TRUE(vx::FileExists(file));
    Mailer().DeleteSentFiles();
    EXPECT_FALSE(vx::FileExists(file));
    vx::RemoveFile(log);
    vx::RemoveFile(stub);
}
