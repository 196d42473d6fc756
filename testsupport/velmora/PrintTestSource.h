// For the print tests: a calculation as the document leaves it after the
// diagram computation.
#pragma once

#include "model/CAufBauE.h"
#include "model/CSchorn.h"
#include "model/CVerb.h"
#include "model/CWaerme.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "testsupport/velmora/AxisTestSettings.h"
#include "values/CAnwender.h"
#include "values/CProjekt.h"
#include "velmora/CVelmoraDiag.h"
#include "velmora/CVelmoraPrint.h"

#include <cstdlib>
#include <string>

inline std::string PrintSourceFile(const std::string& rel) {
    const char* src = std::getenv("VX_SOURCE_DIR");
    return vx::JoinPath(src ? src : ".", rel);
}

// A gas boiler of 24 kW under a stainless-steel chimney, the band from 4 to
// 30 m, the chosen point 16 cm at 10 m; the layout is the shipped one.
struct SampleCalculation {
    SampleCalculation() {
        user.name1 = "Muster Schornsteintechnik GmbH";
        user.street = "Hauptstraße 12";
        user.plzOrt = "12345 Musterstadt";
        user.telephone = "0123 45678";
        project.Text(CProjekt::Nummer) = "P-2024-017";
        project.Text(CProjekt::Datum) = "12.03.2024";
        project.Text(CProjekt::Bearbeiter) = "Dipl.-Ing. Berger";
        project.Text(CProjekt::EmpfName1) = "Familie Schäfer";
        project.Text(CProjekt::EmpfStrasse) = "Lindenweg 3";
        project.Text(CProjekt::EmpfPlz) = "54321";
        project.Text(CProjekt::EmpfOrt) = "Beispielheim";
        project.Text(CProjekt::Floskel) = "Herr";
        project.Text(CProjekt::EmpfAnsprech) = "Schäfer";
        project.Text(CProjekt::EmpfTel) = "0987 6543";
        project.Text(CProjekt::EmpfEmail) = "schaefer@example.org";
        project.Text(CProjekt::StdoName1) = "Baustelle Schäfer";
        project.Text(CProjekt::StdoPlz) = "54321";
        project.Text(CProjekt::StdoOrt) = "Beispielheim";
        construction.regime.value = 1;
        construction.kind.value = 0;
        construction.site.geoHeight.value = 250;
        heater.manufacturerName.text = "Thermowerk";
        heater.typeDesignation.text = "TW 24 Kompakt";
        heater.typeText3.text = "2019";
        heater.output.value = 24;
        heater.gasTemperature.value = 160;
        heater.requiredDraught.value = 10;
        heater.positivePressure.value = 60;
        heater.outletShape.value = 0;
        heater.outletDiameter.value = 0.13;
        connector.length.value = 1.5;
        connector.height.value = 1;
        chimney.name.text = "Edelstahl, doppelwandig, wärmegedämmt";
        chimney.shape.value = 0;
        chimney.roughness.value = 0.001;
        chimney.wallThickness.value = 0.02;
        chimney.wallResistance.value = 0.22;
        diagram.SetX(LinearAxis(4, 30, 2, "Wirksame Schornsteinhöhe [m]"));
        diagram.SetY(LinearAxis(10, 50, 5, "Durchmesser [cm]"));
        diagram.SetPoints({{4, 20, 14}, {6, 18, 13}, {8, 16, 12}, {10, 16, 12}, {12, 15, 12}});
        diagram.SetCursor(10, 16);
        source.user = &user;
        source.project = &project;
        source.construction = &construction;
        source.heater = &heater;
        source.connector = &connector;
        source.chimney = &chimney;
        source.diagram = &diagram;
        source.chosenSize = 16;
        source.text1 = "Heizungsanlage Keller";
        source.text2 = "Neubau Einfamilienhaus";
        source.moisture = "ja";
        source.remarks = "Reinigungsöffnungen nach\r\nLandesrecht vorsehen.";
        source.title = "Projekt.kfx";
    }

    // Points the profile's form 0 at the shipped layout.
    static void UseShippedLayout() {
        vx::Profile().WriteString("LuL", "Formular0", PrintSourceFile("data/Velmora.LST"));
    }

    CAnwender user;
    CProjekt project;
    CAufBauE construction;
    CWaerme heater;
    CVerb connector;
    CSchorn chimney;
    CVelmoraDiag diagram;
    VelmoraPrintSource source;
};
