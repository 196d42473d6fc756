// The unit table. A unit code holds the quantity in its high byte and the
// unit's index within the quantity in its low byte; each unit converts into
// the others of its quantity through one postfix formula per target index.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The message shown when a formula has no conversion into the target unit.
constexpr unsigned IDS_UMRECHNUNGSFEHLER = 39;

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
