#include "tarsilo/CDlgStatus.h"

#include "model/CGrunddaten.h"
#include "model/CrossSectionTables.h"
#include "model/ModelText.h"
#include "platform/MessageService.h"
#include "platform/wx/WxText.h"
#include "testsupport/tarsilo/TarsiloModelTestEnv.h"
#include "testsupport/PartStrings.h"
#include "testsupport/SyntheticCatalogue.h"
#include "testsupport/values/ValuesTestEnv.h"
#include "testsupport/velmora/SampleDataTestEnv.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

// The dialog's progress, watched: before each text reaches the dialog the
// test may put events into the queue.
class WatchedProgress : public AssignmentProgress {
public:
    explicit WatchedProgress(wxWindow* parent) : inner(parent) {}
    void Show() override { inner.Show(); }
    void Hide() override { inner.Hide(); }
    void SetStatusText(const std::string& text) override {
        texts.push_back(text);
        if (beforeText) beforeText(int(texts.size()));
        inner.SetStatusText(text);
    }
    bool IsCancelled() const override { return inner.IsCancelled(); }
    void ClearCancel() override { inner.ClearCancel(); }

    StatusDialogProgress inner;
    std::vector<std::string> texts;
    std::function<void(int)> beforeText;
};

class DialogDoc : public CTarsiloDocCore {
public:
    explicit DialogDoc(wxWindow* parent) : parent_(parent) {}
    WatchedProgress* progress = nullptr;

protected:
    std::unique_ptr<AssignmentProgress> CreateProgress() override {
        auto p = std::make_unique<WatchedProgress>(parent_);
        progress = p.get();
        return p;
    }

private:
    wxWindow* parent_;
};

class StatusDialogTest : public TarsiloModelTest {
protected:
    ScopedPartStrings strings_{"tarsilo"};
    void SetUp() override {
        TarsiloModelTest::SetUp();
        ASSERT_TRUE(catalogue::WriteCatalogue(dir_.string(), catalogue::MakeSyntheticEntries(120, 5)));

        frame = new wxFrame(nullptr, wxID_ANY, "Tarsilo");
        machEt = new wxButton(frame, 1017, "Mach Et");
        auto* bar = new wxMenuBar;
        auto* menu = new wxMenu;
        menu->Append(4711, "Drucken");
        bar->Append(menu, "Datei");
        frame->SetMenuBar(bar);
        machEt->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { formEvents.push_back(doc->IsComputing() ? "Mach Et im Lauf" : "Mach Et"); });
        frame->Bind(wxEVT_MENU, [this](wxCommandEvent&) { formEvents.push_back(doc->IsComputing() ? "Menü im Lauf" : "Menü"); }, 4711);
        frame->Show();
        doc = std::make_unique<DialogDoc>(frame);
    }
    void TearDown() override {
        doc.reset();
        frame->Destroy();
        wxTheApp->ProcessPendingEvents();
        TarsiloModelTest::TearDown();
    }

    // Gas with blower, every manufacturer, the table searched.
    void Prepare() {
        doc->catalogue = CWrzKatalog(dir_.string());
        doc->catalogue.SetReportProblems(false);
        doc->fuelIndex = 2;
        doc->shape = 0;
        doc->system = 1;
        doc->ApplySystem();
        doc->effectiveHeight.value = 8;
        doc->sectionSize.value = 0;
        doc->manufacturers.clear();
        for (const WrzManufacturer& m : doc->catalogue.ReadManufacturers(2)) doc->manufacturers.push_back({m.name, m.offset, true});
    }

    static std::string TypeOf(const std::string& text) { return text.substr(text.rfind("\r\n") + 2); }

    wxFrame* frame = nullptr;
    wxButton* machEt = nullptr;
    std::unique_ptr<DialogDoc> doc;
    std::vector<std::string> formEvents;
    vx::ScopedScriptedMessages messages;
};

} // namespace

TEST_F(StatusDialogTest, CancelThroughTheQueueKeepsTheRowsSoFarAndHoldsOtherInput) {
    Prepare();
    doc->ComputeAssignmentTable();
    ASSERT_NE(doc->progress, nullptr);
    const std::vector<std::string> allTexts = doc->progress->texts;
    const std::deque<AssignmentRow> allRows = doc->rows;
    ASSERT_GE(allTexts.size(), 8u);
    CDlgStatus* dialog = doc->progress->inner.Dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_TRUE(frame->IsEnabled());
    EXPECT_EQ(dialog->GetBackgroundColour(), wxColour(255, 255, 0));
    EXPECT_EQ(dialog->GetTitle(), vx::ToWx("Berechne Wärmeerzeuger..."));

    // At the fifth heat generator: a click on "Mach Et", a menu command and
    // then "Abbrechen", all through the queue.
    const int cancelAt = 5;
    bool enabledDuringRun = false, shownDuringRun = true;
    wxString shownText;
    doc->progress->texts.clear();
    doc->progress->beforeText = [&](int count) {
        enabledDuringRun = enabledDuringRun || frame->IsEnabled();
        shownDuringRun = shownDuringRun && dialog->IsShown();
        if (count != cancelAt) return;
        auto* click = new wxCommandEvent(wxEVT_BUTTON, machEt->GetId());
        click->SetEventObject(machEt);
        machEt->GetEventHandler()->QueueEvent(click);
        auto* item = new wxCommandEvent(wxEVT_MENU, 4711);
        item->SetEventObject(frame->GetMenuBar()->GetMenu(0));
        frame->GetEventHandler()->QueueEvent(item);
        wxWindow* cancel = dialog->FindWindow(wxID_CANCEL);
        auto* abort = new wxCommandEvent(wxEVT_BUTTON, wxID_CANCEL);
        abort->SetEventObject(cancel);
        cancel->GetEventHandler()->QueueEvent(abort);
    };
    size_t heldAtEnd = 0;
    doc->ComputeAssignmentTable();
    heldAtEnd = formEvents.size();
    shownText = static_cast<wxTextCtrl*>(dialog->FindWindow(CDlgStatus::IDC_TEXT))->GetValue();

    EXPECT_FALSE(enabledDuringRun);
    EXPECT_TRUE(shownDuringRun);
    // The cancel is seen after the heat generator in hand: the fifth is not computed.
    ASSERT_EQ(doc->progress->texts.size(), size_t(cancelAt));
    EXPECT_EQ(doc->counts.heatGenerators, cancelAt - 1);
    // New rows go on top: the rows kept are the full run's bottom rows,
    // whole heat generators of them.
    ASSERT_FALSE(doc->rows.empty());
    ASSERT_LT(doc->rows.size(), allRows.size());
    const size_t skip = allRows.size() - doc->rows.size();
    for (size_t i = 0; i < doc->rows.size(); ++i)
        for (int c = 0; c < AssignmentRow::ColumnCount; ++c)
            EXPECT_EQ(doc->rows[i].columns[c], allRows[skip + i].columns[c]) << "row " << i;
    EXPECT_NE(allRows[skip - 1].columns[AssignmentRow::Offset], doc->rows[0].columns[AssignmentRow::Offset]);
    std::set<std::string> generators;
    for (const AssignmentRow& r : doc->rows) generators.insert(r.columns[AssignmentRow::Offset]);
    EXPECT_LE(generators.size(), size_t(cancelAt - 1));
    EXPECT_EQ(doc->resultValid, 1);
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_TRUE(frame->IsEnabled());
    EXPECT_TRUE(shownText.Contains(vx::ToWx(TypeOf(allTexts[cancelAt - 1])))) << shownText;

    // Nothing reached the form while it ran; afterwards both arrive, in order.
    EXPECT_EQ(heldAtEnd, 0u);
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(formEvents, (std::vector<std::string>{"Mach Et", "Menü"}));

    // The next computation starts uncancelled and runs to the end.
    doc->progress->beforeText = nullptr;
    doc->progress->texts.clear();
    doc->ComputeAssignmentTable();
    EXPECT_EQ(doc->progress->texts, allTexts);
    EXPECT_EQ(doc->rows.size(), allRows.size());
}

TEST_F(StatusDialogTest, MachEtQueuedDuringTheRunDoesNotEnterItAgain) {
    Prepare();
    int runs = 0, nested = 0;
    machEt->Bind(wxEVT_BUTTON, [&](wxCommandEvent& e) {
        e.Skip();
        if (doc->IsComputing()) ++nested;
        ++runs;
        doc->ComputeAssignmentTable();
    });
    doc->ComputeAssignmentTable();
    doc->progress->beforeText = [&](int count) {
        if (count == 2 && runs == 0) {
            auto* click = new wxCommandEvent(wxEVT_BUTTON, machEt->GetId());
            click->SetEventObject(machEt);
            machEt->GetEventHandler()->QueueEvent(click);
        }
    };
    const size_t texts = doc->progress->texts.size();
    doc->progress->texts.clear();
    doc->ComputeAssignmentTable();
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(doc->progress->texts.size(), texts);
    // Delivered once the run is over: a second run, one after the other.
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(doc->progress->texts.size(), 2 * texts);
}

TEST_F(StatusDialogTest, ClosingTheDialogCancelsAndTheParentMayGoFirst) {
    Prepare();
    doc->ComputeAssignmentTable();
    CDlgStatus* dialog = doc->progress->inner.Dialog();
    doc->progress->beforeText = [&](int count) {
        if (count == 3) dialog->Close();
    };
    doc->progress->texts.clear();
    doc->ComputeAssignmentTable();
    EXPECT_EQ(doc->progress->texts.size(), 3u);
    EXPECT_EQ(doc->counts.heatGenerators, 2);
    // The frame goes with its dialog; the progress object outlives both.
    frame->Destroy();
    wxTheApp->ProcessIdle();
    frame = new wxFrame(nullptr, wxID_ANY, "neu");
    EXPECT_EQ(doc->progress->inner.Dialog(), nullptr);
    doc->progress->Show();
    doc->progress->SetStatusText("x");
    EXPECT_TRUE(doc->progress->IsCancelled());
    doc->progress->Hide();
}
