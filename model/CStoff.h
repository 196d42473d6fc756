// Flue-gas properties of one section and calculation case, with the
// formulas that compute them from the fuel table and the site data.
#pragma once

#include "values/CWDouble.h"

#include <cstdint>

class CGrunddaten;

class CStoff {
public:
    explicit CStoff(CGrunddaten* site = nullptr);
    CStoff(const CStoff& other) : CStoff(other.site) { *this = other; }
    // Copies everything but the dew-point increment.
    CStoff& operator=(const CStoff& other);
    virtual ~CStoff() = default;

    void Serialize(vx::Archive& ar);

    // R = R_L (1 + f_R co2), f_R of the dry or wet state.
    void CalcGasConstant(int fuel, double co2);
    void CalcWaterVapour(int fuel, double co2);
    void CalcDewPoint();
    void CalcFromFuelTable(int fuel);
    void CalcDensity(double t);
    void CalcVelocity(double massFlow, double area);
    void CalcViscosity(double t);
    void CalcReynolds(double dh, double area);
    // The velocity the Reynolds number takes at least, for a section's area.
    static double VelocityFloor(double area);
    void CalcReynoldsAbove(double dh, double floor);
    void CalcConductivity(double t);
    void CalcSpecificHeat(double t, double co2, double c0, double c1, double c2, double f);
    void CalcPrandtl();
    // Into psi for a rough wall, psiSmooth for r = 0.
    void Colebrook(double dh, double r);
    // Colebrook(dh, r) and Colebrook(dh, 0), the one beside the other.
    void ColebrookRoughAndSmooth(double dh, double r);
    // The same for n (at most 2) records of one section at once.
    static void ColebrookRoughAndSmooth(CStoff* const* records, int n, double dh, double r);
    // Friction solves and Nusselt powers are computed anew from here on (benchmarks of a first run).
    static void ForgetRememberedResults();
    void CalcNusselt(double dh, double length);
    // 1 + (d_h / L)^0.67, the same for every pass over a section.
    static double EntranceFactor(double dh, double length);
    void CalcNusseltWith(double entrance);
    void CalcInnerAlpha(double dh);
    // Gas constant over a section that is dry along its dry length and wet above it.
    void MixGasConstant(double length, int fuel, double co2);

    CWDouble firstValue;
    CWDouble cp;                 // J/(kg K)
    CWDouble gasConstant;        // J/(kg K)
    CWDouble h2o;                // % by volume
    CWDouble dewPoint;           // °C
    CWDouble dryLength;          // m
    CWDouble dewPointIncrement;  // K
    CWDouble lambda;             // W/(m K)
    CWDouble eta;                // kg/(m s)
    CWDouble rho;                // kg/m³
    CWDouble w;                  // m/s
    CWDouble reynolds;
    CWDouble prandtl;
    CWDouble nusselt;
    CWDouble alphaInner;         // W/(m² K)
    CWDouble psi;
    CWDouble psiSmooth;
    CWDouble partialPressure;    // Pa
    CWDouble rhoInlet, wInlet, rhoOutlet, wOutlet;
    CWDouble wallResistance;     // m² K/W

    int32_t state = 1;  // 1 dry, 2 wet
    int32_t reynoldsFloored = 0;
    CGrunddaten* site = nullptr;

protected:
    CWDouble* Cell(int number);  // 1-based, in the record's order
};
