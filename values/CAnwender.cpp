#include "values/CAnwender.h"

#include "platform/Files.h"
#include "platform/Profile.h"
#include "values/CTagReader.h"
#include "values/RecordText.h"

namespace {

// The library writes the file with values of up to 255 characters.
std::string Limited(std::string s) {
    if (s.size() > 255) s.resize(255);
    return s;
}

void Attribute(std::string& out, const char* name, const std::string& value) {
    out += ' ';
    out += name;
    out += "=\"";
    out += QuoteForRecord(value);
    out += '"';
}

} // namespace

std::string RecordCreatorName() { return vx::Profile().ProgramName(); }

CAnwender::CAnwender() : fileName("anwender.dat") {}

std::string CAnwender::DefaultPath() const {
    if (folder.empty()) return fileName;
    return vx::JoinPath(vx::NormalizeSlashes(folder), fileName);
}

void CAnwender::Load() {
    const std::string path = vx::Profile().GetPath("Global", "AnwenderDAT", DefaultPath());
    version = vx::Profile().GetString("Global", "Version", "1.00");
    // A missing file reads as empty members.
    vx::IniFile file(vx::ResolveNoCase(vx::NormalizeSlashes(path)));
    vx::ReportOversizedSettings(file);
    auto get = [&file](const char* key) { return Limited(file.GetString("Anwender", key, "")); };
    name1 = get("Name1");
    name2 = get("Name2");
    street = get("Strasse");
    plzOrt = get("PLZOrt");
    fax = get("FAX");
    telephone = get("TEL");
    email = get("eMail");
    web = get("WWW");
    postBox = get("Postfach");
    plzOrtPostBox = get("PlzOrtPostfach");
    mobile = get("HandyNr");
}

bool CAnwender::Save() const {
    std::string path = fileName;
    if (!folder.empty()) {
        path = vx::NormalizeSlashes(folder);
        if (path.back() != '/') path += '/';
        path += fileName;
    }
    path = vx::Profile().GetPath("Global", "AnwenderDAT", path);
    vx::IniFile file(vx::ResolveNoCase(vx::NormalizeSlashes(path)));
    const std::pair<const char*, const std::string*> keys[] = {
        {"Name1", &name1},  {"Name2", &name2},      {"Strasse", &street},      {"PLZOrt", &plzOrt},
        {"FAX", &fax},      {"TEL", &telephone},    {"eMail", &email},         {"WWW", &web},
        {"Postfach", &postBox}, {"PlzOrtPostfach", &plzOrtPostBox}, {"HandyNr", &mobile}};
    bool ok = true;
    for (const auto& [key, value] : keys) ok = file.WriteString("Anwender", key, *value) && ok;
    return ok;
}

std::string CAnwender::WriteRecord() const {
    std::string out = "<ANWENDERDATEN FORMAT=1 ERZEUGER=\"" + QuoteForRecord(RecordCreatorName()) + "\">";
    out += "<DATEN";
    Attribute(out, "NAME1", name1);
    Attribute(out, "NAME2", name2);
    Attribute(out, "STR", street);
    Attribute(out, "PLZORT", plzOrt);
    Attribute(out, "VERSION", version);
    Attribute(out, "POSTFACH", postBox);
    Attribute(out, "PLZORTPOSTFACH", plzOrtPostBox);
    Attribute(out, "TEL", telephone);
    Attribute(out, "FAX", fax);
    Attribute(out, "HANDY", mobile);
    Attribute(out, "EMAIL", email);
    Attribute(out, "WWW", web);
    // Paths in the record's code page, as the library has always read them.
    Attribute(out, "PFAD", vx::PathToStored(folder));
    Attribute(out, "DATEI", vx::PathToStored(fileName));
    out += "></ANWENDERDATEN>";
    return out;
}

void CAnwender::ReadRecord(std::string_view record) {
    CTagReader tag;
    size_t pos = 0;
    while (tag.ParseNext(record, pos) && !tag.IsEndTag()) {
        if (tag.GetName() != "DATEN") continue;
        tag.GetAttribute("NAME1", name1);
        tag.GetAttribute("NAME2", name2);
        tag.GetAttribute("STR", street);
        tag.GetAttribute("PLZORT", plzOrt);
        tag.GetAttribute("VERSION", version);
        tag.GetAttribute("POSTFACH", postBox);
        tag.GetAttribute("PLZORTPOSTFACH", plzOrtPostBox);
        tag.GetAttribute("TEL", telephone);
        tag.GetAttribute("FAX", fax);
        tag.GetAttribute("HANDY", mobile);
        tag.GetAttribute("EMAIL", email);
        tag.GetAttribute("WWW", web);
        if (tag.GetAttribute("PFAD", folder)) folder = vx::PathFromStored(folder);
        if (tag.GetAttribute("DATEI", fileName)) fileName = vx::PathFromStored(fileName);
    }
}
