#include "quorvel/ProjectImport.h"

#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "values/CProjekt.h"

#include <fstream>
#include <vector>

namespace {

constexpr std::string_view kOrvistoSection = "ORVISTO2PELVANE";

std::string Capped(std::string_view text) { return std::string(text.substr(0, kHandOverValueMax)); }

// The non-empty fields up to the ninth, and where the text after the ninth begins.
std::vector<std::string_view> AbsFields(std::string_view text, size_t& afterNinth) {
    std::vector<std::string_view> fields;
    afterNinth = text.size();
    size_t pos = 0;
    while (pos < text.size() && fields.size() < 9) {
        std::string_view field;
        if (text[pos] == '"') {
            const size_t close = text.find('"', pos + 1);
            const size_t end = close == std::string_view::npos ? text.size() : close;
            field = text.substr(pos + 1, end - pos - 1);
            pos = end == text.size() ? end : end + 1;
            // The separator after the closing quote, and anything before it, belongs to the field's end.
            const size_t sep = text.find(';', pos);
            pos = sep == std::string_view::npos ? text.size() : sep + 1;
        } else {
            const size_t sep = text.find(';', pos);
            const size_t end = sep == std::string_view::npos ? text.size() : sep;
            field = text.substr(pos, end - pos);
            pos = sep == std::string_view::npos ? text.size() : sep + 1;
        }
        while (!field.empty() && (field.back() == '\r' || field.back() == '\n')) field.remove_suffix(1);
        if (field.empty()) continue;
        fields.push_back(field);
        if (fields.size() == 9) afterNinth = pos;
    }
    return fields;
}

void AppendOnce(std::string& target, std::string_view add) {
    if (add.empty() || target.find(add) != std::string::npos) return;
    target += add;
    if (target.size() > kHandOverValueMax) target.resize(kHandOverValueMax);
}

} // namespace

void ImportAdressAbs(std::string_view text, CProjekt& project) {
    text = text.substr(0, kAdressAbsMaxBytes);
    size_t afterNinth = 0;
    const std::vector<std::string_view> fields = AbsFields(text, afterNinth);
    static const CProjekt::Cell kCells[] = {CProjekt::KundenNr, CProjekt::Match,      CProjekt::EmpfName1,
                                            CProjekt::EmpfName2, CProjekt::EmpfStrasse, CProjekt::EmpfPlz,
                                            CProjekt::EmpfOrt};
    for (size_t i = 0; i < fields.size() && i < 7; ++i) project.Text(kCells[i]) = Capped(fields[i]);
    if (fields.size() > 7) AppendOnce(project.Text(CProjekt::EmpfTel), Capped(fields[7]));
    if (fields.size() > 8) {
        AppendOnce(project.Text(CProjekt::EmpfFax), Capped(fields[8]));
        std::string_view rest = text.substr(afterNinth);
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
        const int64_t v = vx::ParseLong(rest.substr(0, 32));
        const int contract = v > INT32_MAX || v < INT32_MIN ? 0 : int(v);
        project.Text(CProjekt::VertragsNr) = vx::Format("%d", contract);
    }
}

bool ImportAdressAbsFile(const std::string& tempDir, CProjekt& project) {
    // Another program may have written the name in other letter case.
    std::ifstream in(vx::ResolveNoCase(vx::JoinPath(tempDir, "ADRESS.ABS")), std::ios::binary);
    if (!in) return false;
    std::string text(kAdressAbsMaxBytes, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(size_t(in.gcount()));
    ImportAdressAbs(text, project);
    return true;
}

bool ImportOrvistoText(std::string_view text, CProjekt& project) {
    if (!text.starts_with("[ORVISTO2PELVANE]")) return false;
    const vx::IniFile ini = vx::IniFile::FromText(text);
    auto value = [&](std::string_view key) { return Capped(ini.GetString(kOrvistoSection, key)); };
    std::string number = value("LNR");
    for (char& c : number)
        if (c == '.') c = '-';
    project.Text(CProjekt::Nummer) = number;
    project.Text(CProjekt::EmpfName1) = value("ENAME1");
    project.Text(CProjekt::EmpfName2) = value("ENAME2");
    project.Text(CProjekt::EmpfStrasse) = value("ESTRASSE");
    project.Text(CProjekt::EmpfPlz) = value("EPLZ");
    project.Text(CProjekt::EmpfOrt) = value("EORT");
    project.Text(CProjekt::EmpfTel) = value("ETEL");
    project.Text(CProjekt::StdoStrasse) = value("GSTRASSE");
    project.Text(CProjekt::StdoPlz) = value("GPLZ");
    project.Text(CProjekt::StdoOrt) = value("GORT");
    return true;
}
