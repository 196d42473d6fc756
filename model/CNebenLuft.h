// A secondary-air device (draught regulator or the like) that lets room air
// into the flue path: it mixes the air into the flue gas coming up the chain
// and adds the device's pressure loss. It acts only in the calculation with
// the second set of outside-air values (mode bit 8).
#pragma once

#include "model/CModul.h"
#include "model/CNebWerte.h"
#include "values/CVxtBase.h"
#include "values/CWDouble.h"
#include "values/CWShort.h"
#include "values/CWString.h"

#include <memory>
#include <vector>

class CAufBauE;
class CAufRaum;
class CGrunddaten;
class CRohr;

class CNebenLuft : public CModul, public CVxtBase {
public:
    // Value ids of the cells, in member order.
    enum : uint16_t {
        IdDeviceName = 1, IdDeviceType, IdA0, IdA1, IdA2, IdRoomAirTemperature, IdRelativeHumidity,
        IdAirMassFlow, IdAirWaterVapour, IdDeviceZeta, IdFlowExponent
    };
    // Device type entered by hand: a1 and a2 are the user's.
    enum { DeviceTypeByHand = 6 };

    CNebenLuft();
    CNebenLuft(const CNebenLuft&) = delete;
    CNebenLuft& operator=(const CNebenLuft&) = delete;
    ~CNebenLuft() override;

    const char* ClassName() const override { return "CNebenLuft"; }
    bool IsKindOf(std::string_view className) const override {
        return className == "CNebenLuft" || CModul::IsKindOf(className);
    }

    void Serialize(vx::Archive& ar) override;
    AbgasZustand* Calculate(AbgasZustand* state, uint16_t mode, int16_t caseIndex, int, int) override;
    void SetInletValue(double x) override { deviceArea = x; }
    double GetOutletValue() override { return deviceArea; }
    void SetRunLength(double length) override { runLength = length; }
    void AddRunLength(double) override {}
    double GetRunLength() override { return runLength; }
    void ResetRunLength() override { runLength = 0; }
    void RemoveLastCase() override;
    void RemoveCase(int caseIndex) override;
    void AppendResults(OutputLines& lines, int& lineCounter) override;

    // The mixture of the state's gas (temperature or pressure case) with the
    // added air and the device's pressure loss, into record.
    virtual void CalcAirState(CNebWerte& record, const AbgasZustand& state, bool temperatureCase);

    // Places the device: the arrangement with its site data, the installation
    // room and the pipe section it sits on; none of them is owned.
    void Attach(CAufBauE* arrangementRecord, CAufRaum* installationRoom, CRohr* pipeSection);

    void LoadDefault(CWerte& value) override;
    void SaveDefaults() override {}
    void OnUnitChanged(CWerte&) override {}
    int OnValueChanged(CWerte& value) override;
    void UpdateDependentValues() override {}
    std::string GetName() override { return "Nebenluft"; }
    // Non-zero when a check failed.
    int CheckInputs(std::string& message, std::vector<int>* ids) override;
    // Entry index of the device-type list (0 to 5 the presets, 6 by hand):
    // its number, a0, a1 and a2 as the list shows them.
    int GetValueInfo(int code, int index, std::string& number, std::string& a0Text, std::string& a1Text,
                     std::string& a2Text) override;

    // The device type of a section's area and resistance group; -1 without a section.
    static int DeviceTypeForSection(double area, int resistanceGroup);
    // The characteristic coefficients a1 and a2 of the types 0 to 5.
    static bool DeviceTypePreset(int type, double& a1Preset, double& a2Preset);

    CWString deviceName;
    CWShort deviceType;
    CWDouble a0, a1, a2;           // pressure loss = a0 + a1 m + a2 m² of the added air, Pa
    CWDouble roomAirTemperature;   // °C
    CWDouble relativeHumidity;     // %
    CWDouble airMassFlow;          // added air, kg/s
    CWDouble airWaterVapour;       // % by volume
    CWDouble deviceZeta;
    CWDouble flowExponent;
    double deviceArea = 0;         // m²
    double junctionAngle = 0;      // degrees
    CRohr* section = nullptr;
    AbgasZustand outgoing;
    CAufBauE* arrangement = nullptr;
    CAufRaum* room = nullptr;
    CGrunddaten* site = nullptr;   // the arrangement's
    double runLength = 0;
    double savedPressureLoss = 0;  // Pa, below the device at its first use
    std::vector<std::unique_ptr<CNebWerte>> pressureCases, temperatureCases;
    int32_t caseCount = -1;
    std::unique_ptr<AbgasZustand> savedState;  // the state below the device at its first use

    // Section "Nebenluft", read with the first device of the process.
    struct Settings {
        double a0Min, a0Max, a0Default, a1Min, a1Max, a2Min, a2Max;
        double tempMin, tempMax, tempDefault, humidityMin, humidityMax, humidityDefault;
    };
    static const Settings& ProfileSettings();

protected:
    // Mixture of flue gas and added air and the velocity through the device area.
    struct Mixture {
        double airSpecificHeat, temperature, waterVapour, co2, gasConstant, density, velocity;
    };
    Mixture MixAir(const AbgasZustand& state, bool temperatureCase);
    static void StoreMixture(CNebWerte& record, const Mixture& x);
    int AirSupplyKind() const;
    double RoomAirValue(const AbgasZustand& state);
    static void CheckInto(CWerte& value, std::string& message, std::vector<int>* ids, int& failed);
};
