#include "velmora/shared/CVelmoraPrint.h"

#include "model/CAufBauE.h"
#include "model/CSchorn.h"
#include "model/CVerb.h"
#include "model/CWaerme.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/System.h"
#include "values/CAnwender.h"
#include "values/CMEinheitListe.h"
#include "values/CProjekt.h"
#include "values/CWDouble.h"
#include "values/Helpers.h"
#include "velmora/shared/CVelmoraDiag.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

using vx::report::Destination;
using vx::report::ReportJob;
using vx::report::VarType;

namespace {

// The program's text of an id; the text it stands for when the table lacks it.
std::string Str(unsigned id, const char* fallback) {
    return vx::Strings().Has(id) ? vx::LoadString(id) : std::string(fallback);
}

std::string CellText(CWDouble& cell) {
    std::string text;
    cell.GetText(text, false);
    // The marker "*" tells the form's user where a value came from; on paper it would stand unexplained.
    if (!text.empty() && text.back() == '*') text.pop_back();
    if (text.empty()) return "";
    std::string unit = UnitList().GetUnitText(cell.displayUnit);
    return unit.empty() ? text : text + " " + unit;
}

std::string TrimLeft(const std::string& s) {
    size_t i = s.find_first_not_of(' ');
    return i == std::string::npos ? std::string() : s.substr(i);
}

// A size in metres as a value cell in metres shows it.
std::string SizeText(double metres) {
    std::string t = vx::Format(UnitFormat(0x0500), metres);
    if (size_t dot = t.find('.'); dot != std::string::npos) {
        while (!t.empty() && t.back() == '0') t.pop_back();
        if (t.back() == '.') t.pop_back();
        else t[dot] = g_DecimalSeparator.empty() ? '.' : g_DecimalSeparator[0];
    }
    return t;
}

} // namespace

CVelmoraPrint::CVelmoraPrint(JobFactory factory, PrinterSetup printerSetup)
    : factory_(std::move(factory)), printerSetup_(std::move(printerSetup)) {}

std::string CVelmoraPrint::LayoutFile() {
    int form = vx::Profile().GetInt("LuL", "Formular", 0);
    return vx::Profile().GetString("LuL", vx::Format("Formular%d", form),
                                   vx::JoinPath(GetProgramDir(), "Velmora.LST"));
}

std::string CVelmoraPrint::CrossSectionCaption(int shape, double size1, double size2, double size3) {
    static const char* const kShapes[] = {"rund", "quadratisch", "rechteckig", "oval"};
    std::string shapeText = Str(196, "") + (shape >= 0 && shape <= 3 ? kShapes[shape] : "");
    std::string unit = UnitList().GetUnitText(0x0500);
    if (shape == 0 || shape == 1) {
        double size = shape == 0 ? size1 : size2;
        if (size > 0) return vx::Format("%s %s (%s)", SizeText(size), unit, shapeText);
        return "(" + shapeText + ")";
    }
    if ((shape == 2 || shape == 3) && size2 > 0 && size3 > 0)
        return vx::Format("%s * %s %s (%s)", SizeText(size2), SizeText(size3), unit, shapeText);
    return "(" + shapeText + ")";
}

std::string CVelmoraPrint::CourseText(int operatingMode, int kind) {
    if (operatingMode < 0 || operatingMode > 2) return "-";
    if (operatingMode < 2) {
        switch (kind) {
        case 0: return Str(205, "im Gebäude");
        case 1: return Str(207, "freistehend");
        case 2: return Str(206, "am Gebäude");
        case 3: return Str(208, "am Gebäude, ohne Verkleidung");
        case 4: return Str(209, "Gleichstrom hinterlüftet");
        default: return "";
        }
    }
    switch (kind) {
    case 0: return Str(209, "Gleichstrom hinterlüftet");
    case 1: return Str(210, "Gegenstrom hinterlüftet waagrecht/senkrecht");
    case 2: return Str(211, "außen angebracht");
    case 3: return Str(1042, "außen angebracht, Verb. gegenstrom hinterlüftet");
    case 4: return Str(1043, "Gegenstrom, Luftleitung Schacht -> Wärmeerzeuger");
    case 5: return Str(10385, "im Gebäude, ohne Schacht");
    default: return Str(205, "im Gebäude");
    }
}

void CVelmoraPrint::DefinePrintVariables(ReportJob& job, VelmoraPrintSource& document) {
    ForEachPrintVariable(document, [&job](const char* name, const std::string& value, VarType type) {
        job.DefineVariable(name, value, type);
    });
}

void CVelmoraPrint::ForEachPrintVariable(VelmoraPrintSource& doc, const VariableSink& sink) {
    CAnwender& user = *doc.user;
    CProjekt& p = *doc.project;
    CAufBauE& construction = *doc.construction;
    CWaerme& heater = *doc.heater;
    CVerb& connector = *doc.connector;
    CSchorn& chimney = *doc.chimney;
    const int mode = construction.Regime();
    const double chosen = doc.chosenSize / 100.0;
    auto text = [&](const char* name, const std::string& value) { sink(name, value, VarType::Text); };
    auto flag = [&](const char* name, bool on) { sink(name, on ? "1" : "0", VarType::Boolean); };

    sink("FormArt", vx::Format("%d", vx::Profile().GetInt("LuL", "Formular", 0)), VarType::Numeric);
    text("AnwName1", user.name1);
    text("AnwName2", user.name2);
    text("AnwStr", user.street);
    text("AnwPLZOrt", user.plzOrt);
    text("AnwTel", user.telephone);
    text("AnwFax", user.fax);
    text("Version", "2.30");
    text("PrNr", p.Text(CProjekt::Nummer));
    text("Bauvor1", doc.text2);
    text("Bauvor2", doc.text1);
    text("Datum", p.Text(CProjekt::Datum));
    text("EmpName1", p.Text(CProjekt::EmpfName1));
    text("EmpName2", p.Text(CProjekt::EmpfName2));
    text("EmpStr", p.Text(CProjekt::EmpfStrasse));
    text("EmpPLZOrt", p.Text(CProjekt::EmpfPlz) + " " + p.Text(CProjekt::EmpfOrt));
    text("StoName1", p.Text(CProjekt::StdoName1));
    text("StoName2", p.Text(CProjekt::StdoName2));
    text("StoStr", p.Text(CProjekt::StdoStrasse));
    text("StoPLZOrt", p.Text(CProjekt::StdoPlz) + " " + p.Text(CProjekt::StdoOrt));
    text("Bearbeiter", p.Text(CProjekt::Bearbeiter));
    text("Projekt", p.Text(CProjekt::Nummer));
    flag("Kopfdruck", vx::Profile().GetInt("LuL", "Kopfdruck", 1) != 0);
    flag("Absenderdruck", vx::Profile().GetInt("LuL", "Absenderdruck", 1) != 0);

    const std::string& salutation = p.Text(CProjekt::Floskel);
    const std::string& contact = p.Text(CProjekt::EmpfAnsprech);
    text("EmpAnsprech", TrimLeft(salutation == "-" ? contact : salutation + " " + contact));
    std::string telFax;
    if (!p.Text(CProjekt::EmpfTel).empty()) telFax = "Kundentelefon : " + p.Text(CProjekt::EmpfTel);
    if (!p.Text(CProjekt::EmpfFax).empty())
        telFax += (telFax.empty() ? "" : "   ") + std::string("Kundenfax : ") + p.Text(CProjekt::EmpfFax);
    text("EmpTelFaxf", telFax);
    text("EmpEMail", p.Text(CProjekt::EmpfEmail));
    text("EmpURL", p.Text(CProjekt::EmpfUrl));
    text("EmpHandy", p.Text(CProjekt::EmpfHandy));
    text("EmpTel", p.Text(CProjekt::EmpfTel));
    text("EmpFax", p.Text(CProjekt::EmpfFax));
    std::string remarks = doc.remarks;
    for (char& c : remarks)
        if (c == '\r') c = ' ';
    text("Bemerkung", remarks);

    static const char* const kModes[] = {"Schornstein", "Schornstein, feuchteunempfindlich", "Abgasleitung"};
    std::string arrangement = Str(202, "Betriebsweise: ") + (mode >= 0 && mode <= 2 ? kModes[mode] : "");
    // Kind 2 is the exhaust-air system, as the heat generator reads it.
    if (construction.Kind() == 2) arrangement += " (" + Str(10623, "Abgas/Abluftschornstein") + ")";
    text("Anordnung", arrangement);
    text("Verlauf", CourseText(mode, construction.Kind()));
    flag("Abgasleitung", mode == 2);
    text("FU", doc.moisture);

    text("Hersteller", heater.manufacturerName.text);
    text("Typ", heater.typeDesignation.text);
    text("Baujahr", heater.typeText3.text);
    text("Brennstoff", heater.GetFuelText());
    text("Qn", CellText(heater.output));
    text("Tw", CellText(heater.gasTemperature));
    text("Dhw", CellText(heater.outletDiameter));
    if (heater.condensing) {
        text("BezPw", Str(1087, "max. Überdruck"));
        text("Pw", CellText(heater.positivePressure));
    } else {
        text("BezPw", Str(1086, "max. Förderdruck"));
        text("Pw", CellText(heater.requiredDraught));
    }
    flag("Teillast", heater.partLoadAvailable.value == 0 || doc.partLoadSwitch != 0);

    if (mode == 2) {
        connector.shape.value = chimney.shape.value;
        connector.diameter.value = chosen;
        connector.sideA.value = chosen;
    } else {
        connector.shape.value = heater.outletShape.value;
        connector.diameter.value = heater.outletDiameter.value;
        connector.sideA.value = heater.outletSideA.value;
        connector.sideB.value = heater.outletSideB.value;
    }
    text("QuerVerb", CrossSectionCaption(connector.shape.value, connector.diameter.value, connector.sideA.value,
                                         connector.sideB.value));
    text("Lv", CellText(connector.length));
    text("Hv", CellText(connector.height));
    text("Rau_V", CellText(connector.roughness));
    text("WDWv", CellText(connector.wallResistance));
    text("ZETAv", Str(1090, "2 Bögen 90°"));

    chimney.diameter.value = chosen;
    chimney.sideA.value = chosen;
    text("QuerSchornDetail", CrossSectionCaption(chimney.shape.value, chimney.diameter.value, chimney.sideA.value,
                                                 chimney.sideB.value));
    text("Bauart", chimney.name.text);
    text("Rau_S", CellText(chimney.roughness));
    text("Wa", CellText(chimney.wallThickness));
    text("WDW", CellText(chimney.wallResistance));
    text("QuerSchorn", chimney.shape.value != 0 ? "quadratisch" : "rund");
    text("ZETA", mode == 2 ? Str(1091, "Bogen 90°") : Str(1092, "Abzweige 90°"));
    text("GeoH", CellText(construction.site.geoHeight));
}

int CVelmoraPrint::PrintNotificationCallback(int message, intptr_t parameter, void* user) {
    auto* self = static_cast<CVelmoraPrint*>(user);
    if (message == vx::report::kNotifyObject) {
        auto* n = reinterpret_cast<vx::report::ObjectNotification*>(parameter);
        // The layer saves and restores the canvas around the call.
        if (n->name == "Diagramm" && n->drawing && self && self->current_ && self->current_->diagram)
            self->current_->diagram->DrawBandAndAxes(*n->canvas, n->rect);
        return 1;
    }
    if (message == vx::report::kNotifyHelp) {
        unsigned context = unsigned(parameter) & 0xFFFF, command = (unsigned(parameter) >> 16) & 0xFFFF;
        if (self && self->help_) self->help_(context + 0x30000, command);
        return 1;
    }
    return 0;
}

bool CVelmoraPrint::SetupPrinterFile(ReportJob& job, const std::string& projectFile, const std::string& printerName) {
    if (printerSetup_) return printerSetup_(job, projectFile, printerName);
    // Without a display there are no printers to open.
    return false;
}

int CVelmoraPrint::PrintCalculation(int mode, VelmoraPrintSource& document, const std::string& exportFormat,
                                    const std::string& exportFile, const std::string& exportPath) {
    struct WaitCursor {
        std::function<void(bool)>& show;
        bool on = false;
        void Set(bool b) {
            if (show && b != on) show(b);
            on = b;
        }
        ~WaitCursor() { Set(false); }
    } wait{waitCursor_};
    wait.Set(true);

    tempDir_ = vx::TempDir();
    const std::string layout = LayoutFile();
    const int form = vx::Profile().GetInt("LuL", "Formular", 0);
    std::unique_ptr<ReportJob> job = factory_ ? factory_() : std::make_unique<ReportJob>();

    const bool optionsDialog = !(mode == 0 || mode == 1 || mode == 2 || mode == 3 || mode == 5 || mode == 6 ||
                                 mode == 7);
    Destination destination = Destination::Printer;
    if (mode == 5) destination = Destination::Preview;
    else if (mode == 0 || mode == 7) destination = Destination::Export;

    current_ = &document;
    struct Forget {
        VelmoraPrintSource*& p;
        ~Forget() { p = nullptr; }
    } forget{current_};
    job->SetNotificationCallback(&CVelmoraPrint::PrintNotificationCallback, this);
    if (!exportFormat.empty()) job->SetExport(exportFormat, exportFile, exportPath);

    job->DefineFieldStart();
    for (const char* f : {"X", "Y", "Z"}) job->DefineField(f, f);
    job->DefineVariableStart();
    DefinePrintVariables(*job, document);

    if (vx::Profile().GetInt("LuL", "Designer", 0) != 0 && job->DefineLayout(layout) < 0)
        vx::ShowMessage("Error by calling LlDefineLayout", vx::MB_OK | vx::MB_ICONEXCLAMATION);
    if (mode == 6) SetupPrinterFile(*job, layout, exportFile);

    int ret = job->PrintStart(layout, destination);
    if (ret < 0) {
        // The layer's own text says what is wrong, a missing layout with its path.
        std::string message = job->LastError().empty() ? std::string() : job->LastError() + "\n";
        message += vx::Format("Fehler bei %s: (nRet=%d, Zeile %d, Datei %s)", "LlPrintStart", ret, 210,
                              ".\\VelmoraPrint");
        vx::ShowMessage(message);
        return ret;
    }
    if (optionsDialog) {
        wait.Set(false);
        ret = job->PrintOptionsDialog("Projekt: " + std::string(" ") + document.project->Text(CProjekt::Nummer));
        if (ret < 0) {
            job->PrintEnd();
            return ret;
        }
    }

    job->DefineVariableStart();
    DefinePrintVariables(*job, document);
    ret = job->Print();
    for (int row = 0; row < 10 && ret >= 0; ++row) {
        std::string n = vx::Format("%d", row);
        for (const char* f : {"X", "Y", "Z"}) job->DefineField(f, n);
        ret = job->PrintFields();
        // The layer takes a row on its second try, fitting or not.
        if (ret == vx::report::kPageFull && (ret = job->Print()) >= 0) ret = job->PrintFields();
    }
    if (ret >= 0 && form == 1) ret = job->Print();
    job->PrintFieldsEnd();
    int end = job->PrintEnd();
    if (ret >= 0) ret = end;
    if (ret < 0) {
        if (ret != vx::report::kErrUserAborted) vx::ShowMessage(job->LastError());
        vx::report::SetPrinterToDefault(layout);
        return ret;
    }

    // A preview the options dialog or the designer chose instead is shown by the layer itself.
    if (destination == Destination::Preview) {
        int shown = job->PreviewDisplay();
        if (shown != 0) {
            vx::ShowMessage(vx::Format("Fehler %d bei %s in %d Datei %s", shown, "LlPreviewDisplay", 264,
                                       ".\\VelmoraPrint"));
            ret = shown;
        }
    }
    vx::report::SetPrinterToDefault(layout);
    return ret;
}

// ---------------------------------------------------------------------------

bool CalculationMailer::MailProgramAvailable() {
    static const bool available = !vx::FindProgramOnPath("xdg-email").empty();
    return available;
}

std::string CalculationMailer::ExportFileName(const std::string& dir, const std::string& title,
                                              const std::string& format) {
    std::string stem = vx::BaseName(title);
    if (size_t dot = stem.rfind('.'); dot != std::string::npos) stem.erase(dot);
    return vx::JoinPath(dir, stem + "." + format);
}

bool CalculationMailer::SendCalculationMail(CVelmoraPrint& print, VelmoraPrintSource& document) {
    std::string format = vx::Profile().GetString("eMail", "Format", "PDF");
    std::string mailer = vx::FindProgramOnPath("xdg-email");
    if (mailer.empty()) {
        vx::ShowMessage(Str(61840, "Die Unterstützung für das Mailsystem kann nicht geladen werden."));
        return false;
    }
    // A directory of its own per mail: the file keeps the document's name and
    // no other mail or program overwrites it while the mail program holds it.
    std::string tmpl = vx::ToFsName(vx::JoinPath(vx::TempDir(), "velmora-mail-XXXXXX"));
    if (!::mkdtemp(tmpl.data())) {
        vx::ShowMessage(Str(61842, "\"Nachricht senden\" ist fehlgeschlagen."));
        return false;
    }
    std::string dir = vx::FromFsName(tmpl);
    sent_.push_back(dir);
    std::string file = ExportFileName(dir, document.title, format);
    if (print.PrintCalculation(kPrintExport, document, format, file, "") != 0) return false;

    std::vector<std::string> args = {"--utf8", "--attach", vx::ToFsName(file)};
    if (!document.title.empty()) {
        args.push_back("--subject");
        args.push_back(vx::Cp1252ToUtf8(document.title));
    }
    std::string address = document.project->Text(CProjekt::EmpfEmail);
    if (address.size() >= 5 && vx::EqualNoCase(address.substr(0, 5), "SMTP:")) address.erase(0, 5);
    address = TrimLeft(address);
    if (!address.empty()) args.push_back(vx::Cp1252ToUtf8(address));
    if (vx::RunProgram(mailer, args) != 0) {
        vx::ShowMessage(Str(61842, "\"Nachricht senden\" ist fehlgeschlagen."));
        return false;
    }
    return true;
}

void CalculationMailer::DeleteSentFiles() {
    for (const std::string& dir : sent_) {
        std::error_code ignored;
        std::filesystem::remove_all(vx::ToFsName(dir), ignored);
    }
    sent_.clear();
}

CalculationMailer& Mailer() {
    static CalculationMailer mailer;
    return mailer;
}
