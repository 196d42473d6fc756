#include "platform/report/WxReportJob.h"

#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/report/ReportOptionsDialog.h"
#include "platform/report/ReportPrintout.h"
#include "platform/wx/WxText.h"
#include "testsupport/platform/ReportTestSupport.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/evtloop.h>
#include <wx/print.h>
#include <wx/radiobox.h>
#include <wx/window.h>

namespace vx::report {
namespace {

using testing::ScratchDir;

const char kLayout[] =
    "[Layout]\nxOffset=0\nyOffset=0\n"
    "[Text:Kopf]\nRect=0,0,170,0\nText=Projekt: <PrNr>\n"
    "[Rect:Diagramm]\nRect=0,20,170,60\nBorder=0.3\n"
    "[Table:Liste]\nRect=0,90,170,0\nColumn=40|L|Nr|<X>\nColumn=130|L|Text|<Y>\n";

int DrawBand(int message, intptr_t parameter, void*) {
    if (message != kNotifyObject) return 0;
    auto* n = reinterpret_cast<ObjectNotification*>(parameter);
    n->canvas->SetPen(Color{0, 0, 255}, 5);
    n->canvas->SetBrush(Color{200, 200, 255});
    const Point band[] = {{n->rect.left + 100, n->rect.bottom - 50},
                          {n->rect.right - 100, n->rect.top + 50},
                          {n->rect.right - 100, n->rect.bottom - 50}};
    n->canvas->DrawPolygon(band);
    return 1;
}

void Pump() {
    for (int i = 0; i < 20; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->Yield(true);
    }
}

template <typename T> T* FindTopLevel() {
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* t = dynamic_cast<T*>(w); t && !wxTheApp->IsScheduledForDestruction(w)) return t;
    return nullptr;
}

// Closes the preview a job opened and expects it gone.
void ClosePreview() {
    auto* frame = FindTopLevel<wxPreviewFrame>();
    ASSERT_NE(frame, nullptr);
    frame->Close(true);
    Pump();
    EXPECT_EQ(FindTopLevel<wxPreviewFrame>(), nullptr);
}

class WxReportJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        layoutFile = dir.File("Velmora.LST");
        ASSERT_TRUE(WriteFileAtomic(layoutFile, kLayout));
    }
    // The sample layout's variable and its two fields.
    static void DefineSample(WxReportJob& job) {
        job.DefineVariableStart();
        job.DefineVariable("PrNr", "4711");
        job.DefineFieldStart();
        job.DefineField("X", "X");
        job.DefineField("Y", "Y");
    }
    void PrintSample(WxReportJob& job, Destination d, int rows) {
        job.SetNotificationCallback(DrawBand, nullptr);
        DefineSample(job);
        ASSERT_EQ(job.PrintStart(layoutFile, d), kOk) << job.LastError();
        job.Print();
        for (int i = 0; i < rows; ++i) {
            job.DefineField("X", Format("R%03d", i));
            job.DefineField("Y", "Zeile");
            if (job.PrintFields() == kPageFull) {
                job.Print();
                job.PrintFields();
            }
        }
        job.PrintFieldsEnd();
    }
    ScratchDir dir;
    std::string layoutFile;
};

TEST_F(WxReportJobTest, PreviewOpensAndCloses) {
    WxReportJob job(nullptr);
    PrintSample(job, Destination::Preview, 80);
    ASSERT_EQ(job.PrintEnd(), kOk) << job.LastError();
    ASSERT_GE(job.CurrentPage(), 2);
    ASSERT_EQ(job.PreviewDisplay(), kOk) << job.LastError();
    Pump();
    auto* frame = FindTopLevel<wxPreviewFrame>();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->IsShown());
    EXPECT_TRUE(frame->GetTitle().Contains("Velmora.LST"));
    wxPreviewControlBar* bar = nullptr;
    for (wxWindow* child : frame->GetChildren())
        if (auto* b = dynamic_cast<wxPreviewControlBar*>(child)) bar = b;
    ASSERT_NE(bar, nullptr);
    wxPrintPreviewBase* preview = bar->GetPrintPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->GetMaxPage(), job.CurrentPage());
    EXPECT_TRUE(preview->SetCurrentPage(2));
    Pump();
    ClosePreview();
}

TEST_F(WxReportJobTest, PrintsIntoAPostScriptFileWithoutAPrinter) {
    PrinterSettings settings;
    settings.file = dir.File("druck.ps");
    ASSERT_TRUE(WritePrinterFile(layoutFile, settings));
    WxReportJob job(nullptr);
    PrintSample(job, Destination::Printer, 80);
    ASSERT_EQ(job.PrintEnd(), kOk) << job.LastError();
    std::string ps;
    ASSERT_TRUE(ReadWholeFile(settings.file, ps));
    EXPECT_EQ(ps.substr(0, 4), "%!PS");
    EXPECT_EQ(testing::CountOf(ps, "%%Page:"), size_t(job.CurrentPage()));
    // The PostScript DC writes text as strings.
    EXPECT_NE(ps.find("4711"), std::string::npos);
    EXPECT_NE(ps.find("R079"), std::string::npos);

    // A printer file that points where nothing can be written fails cleanly.
    settings.file = dir.File("fehlt/druck.ps");
    ASSERT_TRUE(WritePrinterFile(layoutFile, settings));
    WxReportJob job2(nullptr);
    PrintSample(job2, Destination::Printer, 3);
    EXPECT_EQ(job2.PrintEnd(), kErrDevice);
}

TEST_F(WxReportJobTest, OptionsDialogCanCancelAndChoosesTheOutput) {
    WxReportJob job(nullptr);
    DefineSample(job);
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Printer), kOk);

    wxTheApp->CallAfter([] {
        if (auto* d = FindTopLevel<ReportOptionsDialog>()) d->EndModal(wxID_CANCEL);
    });
    EXPECT_EQ(job.PrintOptionsDialog("Projekt:  4711"), kErrUserAborted);
    // Ending the cancelled print sends nothing to the printer.
    PrinterSettings toFile;
    toFile.file = dir.File("abgebrochen.ps");
    ASSERT_TRUE(WritePrinterFile(layoutFile, toFile));
    EXPECT_EQ(job.PrintEnd(), kErrUserAborted);
    EXPECT_FALSE(FileExists(toFile.file));
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Printer), kOk);

    std::string pdf = dir.File("gewaehlt.pdf");
    wxString seenTitle;
    wxTheApp->CallAfter([&] {
        if (auto* d = FindTopLevel<ReportOptionsDialog>()) {
            seenTitle = d->GetTitle();
            d->Choose(Destination::Export, pdf);
            if (d->Validate() && d->TransferDataFromWindow()) d->EndModal(wxID_OK);
        }
    });
    EXPECT_EQ(job.PrintOptionsDialog("Projekt:  4711"), kOk);
    EXPECT_EQ(seenTitle, "Projekt:  4711");
    EXPECT_EQ(job.GetDestination(), Destination::Export);
    job.Print();
    ASSERT_EQ(job.PrintEnd(), kOk) << job.LastError();
    EXPECT_NE(testing::PdfText(pdf).find("Projekt: 4711"), std::string::npos);
}

TEST_F(WxReportJobTest, PreviewChosenInTheOptionsDialogOpensAtTheEnd) {
    WxReportJob job(nullptr);
    DefineSample(job);
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Printer), kOk);
    wxTheApp->CallAfter([] {
        if (auto* d = FindTopLevel<ReportOptionsDialog>()) {
            d->Choose(Destination::Preview);
            d->EndModal(wxID_OK);
        }
    });
    ASSERT_EQ(job.PrintOptionsDialog("Projekt:  4711"), kOk);
    EXPECT_EQ(job.GetDestination(), Destination::Preview);
    job.Print();
    ASSERT_EQ(job.PrintEnd(), kOk) << job.LastError();
    Pump();
    ClosePreview();
}

TEST_F(WxReportJobTest, PageOnAWindowDcLooksLikeThePdf) {
    // What the preview and the printer draw: the recorded page on a wxDC.
    ReportJob job;
    job.SetNotificationCallback(DrawBand, nullptr);
    job.DefineVariableStart();
    job.DefineVariable("PrNr", "4711");
    job.DefineFieldStart();
    job.DefineField("X", "R001");
    job.DefineField("Y", "Zeile");
    job.SetExport("PDF", dir.File("x.pdf"), "");
    ASSERT_EQ(job.PrintStart(layoutFile, Destination::Export), kOk);
    job.Print();
    job.PrintFields();
    ASSERT_EQ(job.PrintEnd(), kOk);

    // A4 at 100 dpi.
    wxBitmap bmp(827, 1169, 24);
    {
        wxMemoryDC dc(bmp);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        RenderReportPage(job.Pages().pages[0], job.Pages().pageSize, dc);
    }
    wxImage img = bmp.ConvertToImage();
    std::string artefacts = vx::ArtefactDir();
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    if (!artefacts.empty()) img.SaveFile(ToWx(JoinPath(artefacts, "report-wx-page1.png")), wxBITMAP_TYPE_PNG);
    auto px = [](double mm) { return int(mm * 100 / 25.4); };
    // The band's fill, inside the diagram rectangle (20..190 by 35..95 mm).
    int bandPixels = 0, textPixels = 0;
    for (int x = px(20); x < px(190); ++x)
        for (int y = px(35); y < px(95); ++y)
            bandPixels += img.GetRed(x, y) == 200 && img.GetGreen(x, y) == 200 && img.GetBlue(x, y) == 255;
    EXPECT_GT(bandPixels, 1000);
    // The heading "Projekt: 4711" at 15 mm from the top, dark pixels.
    for (int x = px(20); x < px(60); ++x)
        for (int y = px(15); y < px(20); ++y) textPixels += img.GetRed(x, y) < 100;
    EXPECT_GT(textPixels, 20);
    EXPECT_EQ(img.GetRed(px(5), px(5)), 255);
}

int RecordHelp(int message, intptr_t parameter, void* user) {
    if (message == kNotifyHelp) *static_cast<intptr_t*>(user) = parameter;
    return message == kNotifyHelp;
}

TEST_F(WxReportJobTest, OptionsDialogAsksForAFileAndOffersHelp) {
    ScopedScriptedMessages messages;
    WxReportJob job(nullptr);
    intptr_t help = 0;
    job.SetNotificationCallback(RecordHelp, &help);
    ReportOptionsDialog dlg(nullptr, "Projekt:  1", job);
    EXPECT_EQ(dlg.GetDestination(), Destination::Printer);
    dlg.Choose(Destination::Export);
    EXPECT_FALSE(dlg.TransferDataFromWindow());
    ASSERT_EQ(messages.service.shown.size(), 1u);
    EXPECT_NE(messages.service.shown[0].text.find("PDF-Datei"), std::string::npos);

    // Greyed for the user, as there is no help; the route stays.
    ASSERT_NE(dlg.FindWindow(wxID_HELP), nullptr);
    EXPECT_FALSE(dlg.FindWindow(wxID_HELP)->IsEnabled());
    wxCommandEvent click(wxEVT_BUTTON, wxID_HELP);
    click.SetEventObject(&dlg);
    dlg.GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(help & 0xFFFF, intptr_t(kHelpContextOptions));
    EXPECT_EQ(help >> 16, intptr_t(kHelpCommandContext));
}

TEST_F(WxReportJobTest, DesignerRequestOpensThePreviewInstead) {
    ScopedScriptedMessages messages;
    WxReportJob job(nullptr);
    job.DefineLayout(layoutFile);
    PrintSample(job, Destination::Printer, 2);
    ASSERT_EQ(job.PrintEnd(), kOk) << job.LastError();
    Pump();
    EXPECT_EQ(messages.service.shown.size(), 1u);
    ClosePreview();
}

TEST(WxReportPrinter, PrinterSettingsMapToPrintData) {
    PrinterSettings s;
    s.printer = "Büro";
    s.landscape = true;
    s.copies = 2;
    s.paper = int(wxPAPER_A4);
    wxPrintData data = ToPrintData(s);
    EXPECT_EQ(data.GetPrinterName(), wxString::FromUTF8("B\xC3\xBCro"));
    EXPECT_EQ(data.GetOrientation(), wxLANDSCAPE);
    EXPECT_EQ(data.GetNoCopies(), 2);
    PrinterSettings back = FromPrintData(data);
    EXPECT_EQ(back.printer, "Büro");
    EXPECT_TRUE(back.landscape);
    EXPECT_EQ(back.copies, 2);
    EXPECT_EQ(back.paper, int(wxPAPER_A4));
    WxReportJob job(nullptr);
    ScratchDir dir;
    EXPECT_FALSE(job.SetPrinterInPrinterFile(dir.File("a.LST"), ""));
    EXPECT_TRUE(job.SetPrinterInPrinterFile(dir.File("a.LST"), "Laser"));
    PrinterSettings r;
    ASSERT_TRUE(ReadPrinterFile(dir.File("a.LST"), r));
    EXPECT_EQ(r.printer, "Laser");
}

} // namespace
} // namespace vx::report
