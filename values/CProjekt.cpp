#include "values/CProjekt.h"

#include "platform/Archive.h"
#include "platform/NumText.h"
#include "values/ArchiveFormat.h"
#include "values/CAnwender.h"
#include "values/CTagReader.h"
#include "values/RecordText.h"

#include <initializer_list>

namespace {

struct Attr {
    const char* name;
    CProjekt::Cell cell;
};

const std::initializer_list<Attr> kProjekt = {
    {"NUMMER", CProjekt::Nummer}, {"BEARBEITER", CProjekt::Bearbeiter}, {"DATUM", CProjekt::Datum}};
const std::initializer_list<Attr> kKunde = {{"KDNR", CProjekt::KundenNr},   {"MATCH", CProjekt::Match},
                                            {"VERTNR", CProjekt::VertragsNr}, {"FLOSKEL", CProjekt::Floskel},
                                            {"DUMMY", CProjekt::Dummy}};
const std::initializer_list<Attr> kEmpf = {
    {"NAME1", CProjekt::EmpfName1}, {"NAME2", CProjekt::EmpfName2}, {"STR", CProjekt::EmpfStrasse},
    {"PLZ", CProjekt::EmpfPlz},     {"ORT", CProjekt::EmpfOrt},     {"TEL", CProjekt::EmpfTel},
    {"FAX", CProjekt::EmpfFax},     {"EMAIL", CProjekt::EmpfEmail}, {"HANDY", CProjekt::EmpfHandy},
    {"URL", CProjekt::EmpfUrl},     {"ANSPRECH", CProjekt::EmpfAnsprech}};
const std::initializer_list<Attr> kStdo = {{"NAME1", CProjekt::StdoName1}, {"NAME2", CProjekt::StdoName2},
                                           {"STR", CProjekt::StdoStrasse}, {"PLZ", CProjekt::StdoPlz},
                                           {"ORT", CProjekt::StdoOrt}};

} // namespace

void SplitAtFirstBlank(std::string& first, std::string& text) {
    size_t blank = text.find(' ');
    if (blank == std::string::npos) {
        first.clear();
        return;
    }
    first = text.substr(0, blank);
    text.erase(0, blank + 1);
}

std::string ProjectFileName(std::string_view number) {
    std::string name(number);
    for (size_t i = 0; i < name.size(); ++i) {
        const auto u = static_cast<unsigned char>(number[i]);
        const bool dotPair = number[i] == '.' && ((i > 0 && number[i - 1] == '.') ||
                                                  (i + 1 < number.size() && number[i + 1] == '.'));
        if (u < 0x20 || u == 0x7F || number[i] == '/' || number[i] == '\\' || dotPair || (i == 0 && number[i] == '.'))
            name[i] = '-';
    }
    return name;
}

CProjekt::CProjekt() = default;

void CProjekt::Serialize(vx::Archive& ar) {
    const int v = ArchiveFormat(ar);
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 16, 17, 18, 19, 20}) cells[i].Serialize(ar);
    if (v >= 6)
        for (int i : {13, 14, 15}) cells[i].Serialize(ar);
    if (v >= 20) {
        cells[EmpfPlz].Serialize(ar);
        cells[StdoPlz].Serialize(ar);
        if (ar.IsStoring()) ar << recipientHeight;
        else ar >> recipientHeight;
    } else if (ar.IsLoading()) {
        // Older files kept the postcode in front of the town.
        SplitAtFirstBlank(Text(EmpfPlz), Text(EmpfOrt));
        SplitAtFirstBlank(Text(StdoPlz), Text(StdoOrt));
        recipientHeight = -99.0;
        siteHeight = -99.0;
    }
    if (v >= 21)
        for (int i : {23, 9, 11}) cells[i].Serialize(ar);
    if (v >= 38) cells[EmpfHandy].Serialize(ar);
    if (v >= 41) cells[EmpfAnsprech].Serialize(ar);
}

std::string CProjekt::WriteRecord() const {
    auto element = [this](std::string& out, const char* name, std::initializer_list<Attr> attrs) {
        out += '<';
        out += name;
        for (const Attr& a : attrs) {
            out += ' ';
            out += a.name;
            out += "=\"";
            out += QuoteForRecord(Text(a.cell));
            out += '"';
        }
        out += '>';
    };
    std::string out = "<PROJEKTDATEN FORMAT=1 ERZEUGER=\"" + QuoteForRecord(RecordCreatorName()) + "\">";
    element(out, "Projekt", kProjekt);
    element(out, "KUNDE", kKunde);
    element(out, "EMPF", kEmpf);
    element(out, "STDO", kStdo);
    out += vx::Format("<GEO EMPF=%f STDO=%f>", recipientHeight, siteHeight);
    out += "</PROJEKTDATEN>";
    return out;
}

void CProjekt::ReadRecord(std::string_view record) {
    CTagReader tag;
    size_t pos = 0;
    auto take = [this, &tag](std::initializer_list<Attr> attrs) {
        for (const Attr& a : attrs) tag.GetAttribute(a.name, Text(a.cell));
    };
    while (tag.ParseNext(record, pos) && !tag.IsEndTag()) {
        const std::string name = tag.GetName();
        if (name == "PROJEKT") take(kProjekt);
        else if (name == "KUNDE") take(kKunde);
        else if (name == "EMPF") take(kEmpf);
        else if (name == "STDO") take(kStdo);
        else if (name == "GEO") {
            recipientHeight = tag.GetAttributeDouble("EMPF", -99.0);
            siteHeight = tag.GetAttributeDouble("STDO", -99.0);
        }
    }
}
