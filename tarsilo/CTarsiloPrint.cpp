#include "tarsilo/CTarsiloPrint.h"

#include "model/CAufBauE.h"
#include "model/CSchorn.h"
#include "model/CVerb.h"
#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/System.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "tarsilo/TarsiloDocCommands.h"
#include "tarsilo/TarsiloText.h"
#include "values/CAnwender.h"
#include "values/CProjekt.h"
#include "velmora/shared/PrintTexts.h"
#include "velmora/shared/ProgramSettings.h"
#include "velmora/shared/SharedText.h"

#include <filesystem>
#include <system_error>

using vx::report::ReportJob;
using vx::report::VarType;

namespace {

// The system lists above this index are no chimney system of the list.
constexpr int kLastListedSystem = 16;

std::string Without(const std::string& label, char c) {
    std::string s;
    for (char ch : label)
        if (ch != c) s += ch;
    return s;
}

} // namespace

std::string CTarsiloPrint::SectionHeading(int shape) {
    if (shape == 0) return "ø [m]";
    return vx::LoadString(shape == 1 ? IDS_HEADING_WIDTH : IDS_HEADING_LENGTH_BREADTH);
}

std::string CTarsiloPrint::LayoutFile() {
    const std::string stored = vx::Profile().GetPath("LuL", "Formular0");
    return stored.empty() ? UserLayoutFile("Tarsilo.LST") : stored;
}

void CTarsiloPrint::ForEachPrintVariable(CTarsiloDocCore& doc, CAnwender& user, const VariableSink& sink) {
    CProjekt& p = doc.project;
    auto text = [&](const char* name, const std::string& value) { sink(name, value, VarType::Text); };
    // This program hands every variable over as text, the switches and the form kind too.
    auto asText = [&](const char* name, const std::string& value, VarType) { text(name, value); };
    const bool unlisted = doc.system > kLastListedSystem;

    DefineSenderVariables(0, user, p, asText);
    DefineProjectVariables(p, asText);

    text("Bemerkung", PrintRemarks(doc.remarks.text));
    text("Verlauf", PrintCourseText(doc.construction.Regime(), doc.construction.Kind()));
    text("WrzTyp", doc.fuelName);

    CVerb& v = doc.connector;
    text("BauartVerb", unlisted || v.name.text.empty() ? vx::LoadString(IDS_SYSTEM_ABOVE_16)
                                                        : v.name.text);
    text("Rau_V", PrintCellText(v.roughness));
    text("WDWv", PrintCellText(v.wallResistance));
    text("ZETAv", vx::LoadString(IDS_ZETA_ZWEI_BOEGEN));
    text("SchachtVerb", unlisted ? vx::LoadString(IDS_CONNECTOR_SHAFT) : "-");
    // The connecting piece takes each heat generator's outlet (under positive
    // pressure the chimney's section): what the document holds is the last
    // row's, so the page names what holds for every row.
    text("QuerVerb", vx::LoadString(doc.construction.Regime() == CAufBauE::Positive ? IDS_CONNECTOR_AS_SHAFT
                                                                                    : IDS_CONNECTOR_AS_OUTLET));

    CSchorn& s = doc.chimney;
    text("Bauart", s.name.text);
    text("Rau_S", PrintCellText(s.roughness));
    text("Hoehe", PrintCellText(doc.effectiveHeight));
    text("WDW", PrintCellText(s.wallResistance));
    text("QuerSchorn", vx::LoadString(doc.shape != 0 ? IDS_FORM_QUADRATISCH : IDS_FORM_RUND));
    // A size searched differs by row and stands in the table: no caption without it.
    std::string caption, size;
    if (doc.sectionSize.value > 0) {
        caption = Without(vx::LoadString(doc.shape == 0 ? IDS_LABEL_DIAMETER : IDS_LABEL_INNER_WIDTH), '&');
        size = doc.shape >= 2 ? vx::Format("%.3f x %.3f m", doc.sectionSize.value, doc.secondSide.value)
                              : vx::Format("%.3f m", doc.sectionSize.value);
    }
    text("QuerSchornBez", caption);
    text("QuerSchornMass", size);
    text("ZETA", vx::LoadString(doc.construction.Regime() == 2 ? IDS_ZETA_BOGEN : IDS_ZETA_ABZWEIGE));
    text("SchachtSchorn", "-");
    text("GeoH", PrintCellText(doc.construction.site.geoHeight));
}

bool CTarsiloPrint::RowFields(const CTarsiloDocCore& doc, int row, const FieldSink& sink) {
    if (row < 0 || size_t(row) >= doc.rows.size()) return false;
    const AssignmentRow& r = doc.rows[size_t(row)];
    sink("KopfDM", SectionHeading(doc.shape));
    sink("Durchmesser", r.columns[AssignmentRow::Section]);
    sink("Hersteller", r.columns[AssignmentRow::Manufacturer]);
    sink("Typ", r.columns[AssignmentRow::Type]);
    sink("Leistung", r.columns[AssignmentRow::Output]);
    return true;
}

int CTarsiloPrint::PrintNotificationCallback(int message, intptr_t parameter, void* user) {
    if (message != vx::report::kNotifyHelp) return 0;
    auto* self = static_cast<CTarsiloPrint*>(user);
    if (self && self->help_) self->help_(0x30000 + (unsigned(parameter) & 0xFFFF));
    return 1;
}

int CTarsiloPrint::PrintTable(int mode, CTarsiloDocCore& doc, CAnwender& user, const std::string& exportFormat,
                              const std::string& exportFile, const std::string& exportPath) {
    vx::report::PrintEntry entry = Entry(mode, LayoutFile(), exportFormat, exportFile, exportPath);
    entry.optionsTitle = PrintOptionsTitle(vx::LoadString(IDS_PRINT_PROJECT) + " ", doc.project.Text(CProjekt::Nummer));
    entry.sourceName = ".\\CTarsiloPrint";
    entry.printStartLine = 207;
    entry.previewLine = 271;
    entry.notification = &CTarsiloPrint::PrintNotificationCallback;
    entry.notificationUser = this;
    entry.defineFields = [&doc](ReportJob& j) {
        j.DefineField("KopfDM", SectionHeading(doc.shape));
        for (const char* f : {"Durchmesser", "Hersteller", "Typ", "Leistung"}) j.DefineField(f, "");
    };
    entry.defineVariables = [&doc, &user](ReportJob& j) {
        ForEachPrintVariable(doc, user, [&j](const char* n, const std::string& v, VarType t) { j.DefineVariable(n, v, t); });
        // A table heading shows page variables only: the heading field is one as well.
        j.DefineVariable("KopfDM", SectionHeading(doc.shape));
    };
    entry.setRow = [&doc](ReportJob& j, int row) {
        return RowFields(doc, row, [&j](const char* n, const std::string& v) { j.DefineField(n, v); });
    };
    entry.rowName = [&doc](int row) {
        const AssignmentRow& r = doc.rows[size_t(row)];
        return r.columns[AssignmentRow::Manufacturer] + " " + r.columns[AssignmentRow::Type];
    };
    return Run(entry);
}

int PrintAssignmentTable(CTarsiloPrint& print, CTarsiloDocCore& doc, CAnwender& user, int mode) {
    return print.PrintTable(mode, doc, user);
}

bool SendAssignmentMail(vx::report::CalculationMailer& mailer, CTarsiloPrint& print, CTarsiloDocCore& doc,
                        CAnwender& user, const std::string& title) {
    return TarsiloDocCommands::SendMail(mailer, doc, title, [&](const std::string& format, const std::string& file) {
        return print.PrintTable(vx::report::kPrintExport, doc, user, format, file, "");
    });
}
