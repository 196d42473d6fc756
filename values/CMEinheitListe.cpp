#include "values/CMEinheitListe.h"

#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "values/CRpnEvaluator.h"
#include "values/ValuesText.h"

#include <initializer_list>
#include <string_view>

namespace {

// Each conversion ends in "," and "@", in the order of the target indices.
std::string Conversions(std::initializer_list<const char*> parts) {
    std::string formula;
    for (const char* p : parts) {
        formula += p;
        formula += ",@";
    }
    return formula;
}

} // namespace

CMEinheitElement::CMEinheitElement(uint16_t code, std::string name, std::string formula)
    : code_(code), name_(std::move(name)), formula_(std::move(formula)) {}

double CMEinheitElement::Convert(double x, uint16_t to) const {
    if (to == code_ || formula_.empty()) return x;
    const size_t index = to & 0xFF;
    std::string_view rest = formula_;
    std::string_view part;
    bool found = false;
    for (size_t n = 0;; ++n) {
        size_t at = rest.find('@');
        if (at == std::string_view::npos) break;
        if (n == index) {
            part = rest.substr(0, at);
            found = true;
            break;
        }
        rest.remove_prefix(at + 1);
    }
    if (!found || part.empty()) {
        vx::ShowMessage(vx::Format(vx::LoadString(IDS_UMRECHNUNGSFEHLER), to & 0xFF, code_), vx::MB_OK);
        return 0.0;
    }
    // The value travels through "%f" text: six decimals, as the formulas were made for.
    CRpnEvaluator rpn;
    rpn.Init(vx::Format(part, x));
    return rpn.GetResult();
}

CMEinheitListe::CMEinheitListe() {
    auto add = [this](uint16_t code, const char* name, std::string formula) {
        elements_.push_back(std::make_unique<CMEinheitElement>(code, name, std::move(formula)));
    };
    add(kUnitKilowatt, "kW", Conversions({"%f", "%f,0.7355,/", "%f,1000,*,4.19,/", "%f,1000,*,1.16,/"}));
    add(kUnitMetricHorsepower, "Ps", Conversions({"%f,.7355,*", "%f", "%f,735.5,*,4.19,/", "%f,735.5,*,1.16,/"}));
    add(kUnitCaloriePerSecond, "cal/s",
        Conversions({"%f,4.19,*,1000,/", "%f,4.19,*,735.5,/", "%f", "%f,4.19,*,1.16,/"}));
    add(kUnitKilocaloriePerHour, "kcal/h",
        Conversions({"%f,1.16,*,1000,/", "%f,1.16,*,735.5,/", "%f,1.16,*,4.19,/", "%f"}));
    add(kUnitCelsius, "°C", Conversions({"%f", "%f,273.15,+", "%f,17.78,+,0.5556,/", "%f,1.25,/"}));
    add(kUnitKelvin, "K", Conversions({"%f,273.15,-", "%f", "%f,273.15,-,17.78,+,0.5556,/", "%f,273.15,-,1.25,/"}));
    add(kUnitFahrenheit, "°F",
        Conversions({"%f,0.5556,*,17.78,-", "%f,0.5556,*,17.78,-,273.15,+", "%f", "%f,0.5556,*,17.78,-,1.25,/"}));
    add(kUnitReaumur, "°R", Conversions({"%f,1.25,*", "%f,1.25,*,273.15,+", "%f,1.25,*,17.78,+,0.5556,/", "%f"}));
    add(kUnitPascal, "Pa",
        Conversions(
            {"%f", "%f,100,/", "%f,1.0197,*,1e-5,*", "%f,0.10197,*", "%f,0.9869,*,1e-5,*", "%f,0.75006,*,1e-2,*"}));
    add(kUnitMillibar, "mbar",
        Conversions({"%f,100,*", "%f", "%f,1.0197,*,1e-3,*", "%f,10.197,*", "%f,0.98692,*,1e-3,*", "%f,0.75006,*"}));
    add(kUnitTechnicalAtmosphere, "at",
        Conversions({"%f,98066.5,*", "%f,980.665,*", "%f", "%f,10000.3,*", "%f,0.96784,*", "%f,735.56,*"}));
    add(kUnitMillimetreWaterColumn, "mm Ws",
        Conversions(
            {"%f,9.80645,*", "%f,0.098064,*", "%f,0.99997,*,1e-4,*", "%f", "%f,0.96781,*,1e-4,*", "%f,0.073554,*"}));
    add(kUnitAtmosphere, "atm",
        Conversions({"%f,101325,*", "%f,1013.25,*", "%f,1.03323,*", "%f,10332.6,*", "%f", "%f,760,*"}));
    // Torr to at: 1/735.56, as the reverse formula has it (1.3565 had two digits swapped).
    add(kUnitTorr, "Torr",
        Conversions({"%f,133.32,*", "%f,1.3332,*", "%f,1.3595,*,1e-3,*", "%f,13.595,*", "%f,1.3158,*,1e-3,*", "%f"}));
    add(kUnitKilogramPerSecond, "kg/s", Conversions({"%f", "%f,3600,*", "%f,1000,*", "%f,3600000,*"}));
    add(kUnitKilogramPerHour, "kg/h", Conversions({"%f,3600,/", "%f", "%f,3.6,/", "%f,1000,*"}));
    add(kUnitGramPerSecond, "g/s", Conversions({"%f,1000,/", "%f,3.6,*", "%f", "%f,3600,*"}));
    add(kUnitGramPerHour, "g/h", Conversions({"%f,3600000,/", "%f,1000,/", "%f,3600,/", "%f"}));
    add(kUnitMetre, "m", Conversions({"%f", "%f,10,*", "%f,100,*", "%f,1000,*", "%f,100,*,2.54,/"}));
    add(kUnitDecimetre, "dm", Conversions({"%f,10,/", "%f", "%f,10,*", "%f,100,*", "%f,10,*,2.54,/"}));
    add(kUnitCentimetre, "cm", Conversions({"%f,100,/", "%f,10,/", "%f", "%f,10,*", "%f,2.54,/"}));
    add(kUnitMillimetre, "mm", Conversions({"%f,1000,/", "%f,100,/", "%f,10,/", "%f", "%f,25.4,/"}));
    add(kUnitInch, "Inch", Conversions({"%f,2.54,*,100,/", "%f,2.54,*,10,/", "%f,2.54,*", "%f,25.4,*"}));
    add(kUnitSquareMetre, "m²", Conversions({"%f", "%f,100,*", "%f,10000,*", "%f,1000000,*"}));
    add(kUnitSquareDecimetre, "dm²", Conversions({"%f,100,/", "%f", "%f,100,*", "%f,10000,*"}));
    add(kUnitSquareCentimetre, "cm²", Conversions({"%f,10000,/", "%f,100,/", "%f", "%f,100,*"}));
    add(kUnitSquareMillimetre, "mm²", Conversions({"%f,1000000,/", "%f,10000,/", "%f,100,/"}));
    add(kUnitPercent, "%", "");
    add(kUnitKilogramPerCubicMetre, "kg/m³", "");
    add(kUnitSquareMetreKelvinPerWatt, "m²K/W", "");
    add(kUnitWattPerMetreKelvin, "W/m*K", "");
    add(kUnitCubicMetrePerHour, "m³/h", "");
}

const CMEinheitElement* CMEinheitListe::Find(uint16_t code) const {
    for (const auto& e : elements_)
        if (e->Code() == code) return e.get();
    return nullptr;
}

double CMEinheitListe::Convert(double x, uint16_t from, uint16_t to) const {
    const CMEinheitElement* e = Find(from);
    return e ? e->Convert(x, to) : 0.0;
}

std::string CMEinheitListe::GetUnitText(uint16_t code) const {
    const CMEinheitElement* e = Find(code);
    return e ? e->Name() : std::string();
}

void CMEinheitListe::FillUnitList(uint16_t code, std::vector<std::string>& names) const {
    for (const auto& e : elements_)
        if ((e->Code() >> 8) == (code >> 8)) names.push_back(e->Name());
}

CMEinheitListe& UnitList() {
    static CMEinheitListe list;
    return list;
}
