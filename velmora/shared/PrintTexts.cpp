#include "velmora/shared/PrintTexts.h"

#include "platform/NumText.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "values/CAnwender.h"
#include "values/CMEinheitListe.h"
#include "values/CProjekt.h"
#include "values/CWDouble.h"
#include "velmora/shared/SharedText.h"

namespace {

// A size in metres as a value cell in metres shows it.
std::string SizeText(double metres) {
    std::string t = vx::Format(UnitFormat(kUnitMetre), metres);
    if (size_t dot = t.find('.'); dot != std::string::npos) {
        while (!t.empty() && t.back() == '0') t.pop_back();
        if (t.back() == '.') t.pop_back();
        else t[dot] = g_DecimalSeparator.empty() ? '.' : g_DecimalSeparator[0];
    }
    return t;
}

} // namespace

std::string PrintCellText(CWDouble& cell) {
    std::string text;
    cell.GetText(text, false);
    // The marker "*" tells the form's user where a value came from; on paper it would stand unexplained.
    if (!text.empty() && text.back() == '*') text.pop_back();
    if (text.empty()) return "";
    std::string unit = UnitList().GetUnitText(cell.displayUnit);
    return unit.empty() ? text : text + " " + unit;
}

std::string PrintCrossSectionCaption(int shape, double size1, double size2, double size3) {
    static const unsigned kShapes[] = {IDS_FORM_RUND, IDS_FORM_QUADRATISCH, IDS_FORM_RECHTECKIG, IDS_FORM_OVAL};
    std::string shapeText = shape >= 0 && shape <= 3 ? vx::LoadString(kShapes[shape]) : "";
    std::string unit = UnitList().GetUnitText(kUnitMetre);
    if (shape == 0 || shape == 1) {
        double size = shape == 0 ? size1 : size2;
        if (size > 0) return vx::Format("%s %s (%s)", SizeText(size), unit, shapeText);
        return "(" + shapeText + ")";
    }
    if ((shape == 2 || shape == 3) && size2 > 0 && size3 > 0)
        return vx::Format("%s * %s %s (%s)", SizeText(size2), SizeText(size3), unit, shapeText);
    return "(" + shapeText + ")";
}

std::string PrintCourseText(int operatingMode, int kind) {
    if (operatingMode < 0 || operatingMode > 2) return "-";
    if (operatingMode < 2) {
        switch (kind) {
        case 0: return vx::LoadString(IDS_VERLAUF_IM_GEBAEUDE);
        case 1: return vx::LoadString(IDS_VERLAUF_FREISTEHEND);
        case 2: return vx::LoadString(IDS_VERLAUF_AM_GEBAEUDE);
        case 3: return vx::LoadString(IDS_VERLAUF_OHNE_VERKLEIDUNG);
        case 4: return vx::LoadString(IDS_VERLAUF_GLEICHSTROM);
        default: return "";
        }
    }
    switch (kind) {
    case 0: return vx::LoadString(IDS_VERLAUF_GLEICHSTROM);
    case 1: return vx::LoadString(IDS_VERLAUF_GEGENSTROM);
    case 2: return vx::LoadString(IDS_VERLAUF_AUSSEN);
    case 3: return vx::LoadString(IDS_VERLAUF_AUSSEN_VERB_GEGENSTROM);
    case 4: return vx::LoadString(IDS_VERLAUF_LUFT_AUS_SCHACHT);
    case 5: return vx::LoadString(IDS_VERLAUF_OHNE_SCHACHT);
    default: return vx::LoadString(IDS_VERLAUF_IM_GEBAEUDE);
    }
}


void DefineSenderVariables(int formKind, const CAnwender& user, const CProjekt& p, const PrintVariableSink& sink) {
    auto text = [&](const char* name, const std::string& value) { sink(name, value, vx::report::VarType::Text); };
    sink("FormArt", vx::Format("%d", formKind), vx::report::VarType::Numeric);
    text("AnwName1", user.name1);
    text("AnwName2", user.name2);
    text("AnwStr", user.street);
    text("AnwPLZOrt", user.plzOrt);
    text("AnwTel", user.telephone);
    text("AnwFax", user.fax);
    text("Version", "2.30");
    text("PrNr", p.Text(CProjekt::Nummer));
}

void DefineProjectVariables(const CProjekt& p, const PrintVariableSink& sink) {
    auto text = [&](const char* name, const std::string& value) { sink(name, value, vx::report::VarType::Text); };
    auto flag = [&](const char* name, bool on) { sink(name, on ? "1" : "0", vx::report::VarType::Boolean); };
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
}

std::string PrintOptionsTitle(const std::string& caption, const std::string& number) {
    if (number.find_first_not_of(' ') == std::string::npos) return vx::LoadString(IDS_DRUCKEN);
    return caption + number;
}

std::string PrintRemarks(std::string remarks) {
    for (char& c : remarks)
        if (c == '\r') c = ' ';
    return remarks;
}
