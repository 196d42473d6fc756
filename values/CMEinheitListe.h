// The unit table. A unit code holds the quantity in its high byte and the
// unit's index within the quantity in its low byte; each unit converts into
// the others of its quantity through one postfix formula per target index.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The codes of the units in the table.
inline constexpr uint16_t kUnitKilowatt = 0x100;
inline constexpr uint16_t kUnitMetricHorsepower = 0x101;
inline constexpr uint16_t kUnitCaloriePerSecond = 0x102;
inline constexpr uint16_t kUnitKilocaloriePerHour = 0x103;
inline constexpr uint16_t kUnitCelsius = 0x200;
inline constexpr uint16_t kUnitKelvin = 0x201;
inline constexpr uint16_t kUnitFahrenheit = 0x202;
inline constexpr uint16_t kUnitReaumur = 0x203;
inline constexpr uint16_t kUnitPascal = 0x300;
inline constexpr uint16_t kUnitMillibar = 0x301;
inline constexpr uint16_t kUnitTechnicalAtmosphere = 0x302;
inline constexpr uint16_t kUnitMillimetreWaterColumn = 0x303;
inline constexpr uint16_t kUnitAtmosphere = 0x304;
inline constexpr uint16_t kUnitTorr = 0x305;
inline constexpr uint16_t kUnitKilogramPerSecond = 0x400;
inline constexpr uint16_t kUnitKilogramPerHour = 0x401;
inline constexpr uint16_t kUnitGramPerSecond = 0x402;
inline constexpr uint16_t kUnitGramPerHour = 0x403;
inline constexpr uint16_t kUnitMetre = 0x500;
inline constexpr uint16_t kUnitDecimetre = 0x501;
inline constexpr uint16_t kUnitCentimetre = 0x502;
inline constexpr uint16_t kUnitMillimetre = 0x503;
inline constexpr uint16_t kUnitInch = 0x504;
inline constexpr uint16_t kUnitSquareMetre = 0xA000;
inline constexpr uint16_t kUnitSquareDecimetre = 0xA001;
inline constexpr uint16_t kUnitSquareCentimetre = 0xA002;
inline constexpr uint16_t kUnitSquareMillimetre = 0xA003;
inline constexpr uint16_t kUnitPercent = 0x600;
inline constexpr uint16_t kUnitKilogramPerCubicMetre = 0x700;
inline constexpr uint16_t kUnitSquareMetreKelvinPerWatt = 0x800;
inline constexpr uint16_t kUnitWattPerMetreKelvin = 0x900;
inline constexpr uint16_t kUnitCubicMetrePerHour = 0xC000;

class CMEinheitElement {
public:
    CMEinheitElement(uint16_t code, std::string name, std::string formula);

    // x in this unit converted into unit `to`; 0 (after a message) when the
    // formula has no conversion into it.
    double Convert(double x, uint16_t to) const;

    uint16_t Code() const { return code_; }
    const std::string& Name() const { return name_; }
    const std::string& Formula() const { return formula_; }

private:
    uint16_t code_;
    std::string name_;
    std::string formula_;
};

class CMEinheitListe {
public:
    CMEinheitListe();

    // 0 when `from` is no unit of the table.
    double Convert(double x, uint16_t from, uint16_t to) const;
    // "" for an unknown code.
    std::string GetUnitText(uint16_t code) const;
    // Appends the names of all units of the code's quantity, in table order.
    void FillUnitList(uint16_t code, std::vector<std::string>& names) const;

    const std::vector<std::unique_ptr<CMEinheitElement>>& Elements() const { return elements_; }

private:
    const CMEinheitElement* Find(uint16_t code) const;
    std::vector<std::unique_ptr<CMEinheitElement>> elements_;
};

// The process's unit table.
CMEinheitListe& UnitList();
