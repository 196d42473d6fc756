#include "velmora/VelmoraDocPrint.h"

#include "velmora/CVelmoraDocCore.h"

VelmoraPrintSource PrintSourceOf(CVelmoraDocCore& doc, CAnwender& user, const std::string& title) {
    VelmoraPrintSource s;
    s.user = &user;
    s.project = &doc.project;
    s.construction = &doc.construction;
    s.heater = &doc.heatGenerator;
    s.connector = &doc.connector;
    s.chimney = &doc.chimney;
    s.diagram = &doc.diagram;
    s.chosenSize = doc.chosenSize;
    // The first member is printed as the second line.
    s.text1 = doc.projectLine2;
    s.text2 = doc.projectLine1;
    s.moisture = doc.moistureText;
    s.remarks = doc.remarks.text;
    s.partLoadSwitch = doc.partLoad;
    s.title = title;
    return s;
}
