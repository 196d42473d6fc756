#include "velmora/CVelmoraPrint.h"

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
#include "platform/report/PrintEntry.h"
#include "values/CAnwender.h"
#include "values/CMEinheitListe.h"
#include "values/CProjekt.h"
#include "values/CWDouble.h"
#include "velmora/CVelmoraDiag.h"
#include "velmora/VelmoraText.h"
#include "velmora/shared/SharedText.h"
#include "velmora/FormLists.h"
#include "velmora/shared/PrintTexts.h"
#include "velmora/shared/ProgramSettings.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

using vx::report::Destination;
using vx::report::ReportJob;
using vx::report::VarType;

namespace {

std::string TrimLeft(const std::string& s) {
    size_t i = s.find_first_not_of(' ');
    return i == std::string::npos ? std::string() : s.substr(i);
}

// The fuel as the form's list names it, so that a condensing boiler is not
// printed as its burner type; fuels the list has not keep the model's name.
std::string PrintedFuelText(const CWaerme& heater) {
    const int position = FuelPositionOf(heater.fuel.value, heater.condensing, -1);
    const std::string text = position >= 0 ? vx::LoadString(IDS_FUEL_FIRST + unsigned(position)) : std::string();
    return text.empty() ? heater.GetFuelText() : text;
}

} // namespace

std::string CVelmoraPrint::LayoutFile() {
    int form = vx::Profile().GetInt("LuL", "Formular", 0);
    const std::string key = vx::Format("Formular%d", form);
    const std::string stored = vx::Profile().GetPath("LuL", key);
    return stored.empty() ? UserLayoutFile("Velmora.LST") : stored;
}

std::string CVelmoraPrint::CrossSectionCaption(int shape, double size1, double size2, double size3) {
    return PrintCrossSectionCaption(shape, size1, size2, size3);
}

std::string CVelmoraPrint::CourseText(int operatingMode, int kind) { return PrintCourseText(operatingMode, kind); }

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

    DefineSenderVariables(vx::Profile().GetInt("LuL", "Formular", 0), user, p, sink);
    text("Bauvor1", doc.text2);
    text("Bauvor2", doc.text1);
    DefineProjectVariables(p, sink);

    const std::string& salutation = p.Text(CProjekt::Floskel);
    const std::string& contact = p.Text(CProjekt::EmpfAnsprech);
    text("EmpAnsprech", TrimLeft(salutation == "-" ? contact : salutation + " " + contact));
    std::string telFax;
    if (!p.Text(CProjekt::EmpfTel).empty())
        telFax = vx::LoadString(IDS_KUNDENTELEFON) + " " + p.Text(CProjekt::EmpfTel);
    if (!p.Text(CProjekt::EmpfFax).empty())
        telFax += (telFax.empty() ? "" : "   ") + vx::LoadString(IDS_KUNDENFAX) + " " + p.Text(CProjekt::EmpfFax);
    text("EmpTelFaxf", telFax);
    text("EmpEMail", p.Text(CProjekt::EmpfEmail));
    text("EmpURL", p.Text(CProjekt::EmpfUrl));
    text("EmpHandy", p.Text(CProjekt::EmpfHandy));
    text("EmpTel", p.Text(CProjekt::EmpfTel));
    text("EmpFax", p.Text(CProjekt::EmpfFax));
    text("Bemerkung", PrintRemarks(doc.remarks));

    static const unsigned kModes[] = {IDS_BETRIEB_SCHORNSTEIN, IDS_BETRIEB_FEUCHTEUNEMPFINDLICH,
                                      IDS_BETRIEB_ABGASLEITUNG};
    std::string arrangement =
        vx::LoadString(IDS_BETRIEBSWEISE) + " " + (mode >= 0 && mode <= 2 ? vx::LoadString(kModes[mode]) : "");
    // Kind 2 is the exhaust-air system, as the heat generator reads it.
    if (construction.Kind() == 2) arrangement += " (" + vx::LoadString(IDS_ABGAS_ABLUFTSCHORNSTEIN) + ")";
    text("Anordnung", arrangement);
    text("Verlauf", CourseText(mode, construction.Kind()));
    flag("Abgasleitung", mode == 2);
    text("FU", doc.moisture);

    text("Hersteller", heater.manufacturerName.text);
    text("Typ", heater.typeDesignation.text);
    text("Baujahr", heater.typeText3.text);
    text("Brennstoff", PrintedFuelText(heater));
    text("Qn", PrintCellText(heater.output));
    text("Tw", PrintCellText(heater.gasTemperature));
    text("Dhw", PrintCellText(heater.outletDiameter));
    if (heater.condensing) {
        text("BezPw", vx::LoadString(IDS_MAX_UEBERDRUCK));
        text("Pw", PrintCellText(heater.positivePressure));
    } else {
        text("BezPw", vx::LoadString(IDS_MAX_FOERDERDRUCK));
        text("Pw", PrintCellText(heater.requiredDraught));
    }
    // The page says part load was considered only when a part-load pass ran:
    // the heat generator has part-load data and the switch asks for it.
    flag("Teillast", heater.partLoadAvailable.value != 0 && !heater.suppressPartLoad && doc.partLoadSwitch != 0);

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
    text("Lv", PrintCellText(connector.length));
    text("Hv", PrintCellText(connector.height));
    text("Rau_V", PrintCellText(connector.roughness));
    text("WDWv", PrintCellText(connector.wallResistance));
    text("ZETAv", vx::LoadString(IDS_ZETA_ZWEI_BOEGEN));

    chimney.diameter.value = chosen;
    chimney.sideA.value = chosen;
    text("QuerSchornDetail", CrossSectionCaption(chimney.shape.value, chimney.diameter.value, chimney.sideA.value,
                                                 chimney.sideB.value));
    text("Bauart", chimney.name.text);
    text("Rau_S", PrintCellText(chimney.roughness));
    text("Wa", PrintCellText(chimney.wallThickness));
    text("WDW", PrintCellText(chimney.wallResistance));
    text("QuerSchorn", vx::LoadString(chimney.shape.value != 0 ? IDS_FORM_QUADRATISCH : IDS_FORM_RUND));
    text("ZETA", vx::LoadString(mode == 2 ? IDS_ZETA_BOGEN : IDS_ZETA_ABZWEIGE));
    text("GeoH", PrintCellText(construction.site.geoHeight));
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

int CVelmoraPrint::PrintCalculation(int mode, VelmoraPrintSource& document, const std::string& exportFormat,
                                    const std::string& exportFile, const std::string& exportPath) {
    tempDir_ = vx::TempDir();
    const int form = vx::Profile().GetInt("LuL", "Formular", 0);

    current_ = &document;
    struct Forget {
        VelmoraPrintSource*& p;
        ~Forget() { p = nullptr; }
    } forget{current_};

    vx::report::PrintEntry entry = Entry(mode, LayoutFile(), exportFormat, exportFile, exportPath);
    entry.optionsTitle =
        PrintOptionsTitle(vx::LoadString(IDS_DRUCK_PROJEKT) + "  ", document.project->Text(CProjekt::Nummer));
    entry.sourceName = ".\\VelmoraPrint";
    entry.printStartLine = 210;
    entry.previewLine = 264;
    entry.notification = &CVelmoraPrint::PrintNotificationCallback;
    entry.notificationUser = this;
    entry.defineFields = [](ReportJob& j) {
        for (const char* f : {"X", "Y", "Z"}) j.DefineField(f, f);
    };
    entry.defineVariables = [&document](ReportJob& j) { DefinePrintVariables(j, document); };
    // The layout's table: ten numbered rows.
    entry.setRow = [](ReportJob& j, int row) {
        if (row >= 10) return false;
        const std::string n = vx::Format("%d", row);
        for (const char* f : {"X", "Y", "Z"}) j.DefineField(f, n);
        return true;
    };
    // The standard form has a second page; a remark too long for the first goes on there whole.
    entry.afterRows = [form](ReportJob& j) { return form == 1 || j.TextCutOnPage("Bemerkung") ? j.Print() : 0; };
    return Run(entry);
}

// ---------------------------------------------------------------------------

bool SendCalculationMail(vx::report::CalculationMailer& mailer, CVelmoraPrint& print, VelmoraPrintSource& document) {
    return mailer.SendCalculationMail(
        [&](const std::string& format, const std::string& file) {
            return print.PrintCalculation(kPrintExport, document, format, file, "");
        },
        document.title, document.project->Text(CProjekt::EmpfEmail), document.project->Text(CProjekt::EmpfName1));
}
