#include "values/Helpers.h"

#include "values/CWerte.h"

#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/Profile.h"

#include <cmath>
#include <filesystem>
#include <system_error>

namespace {

bool g_CdStart = false;

std::string WithoutTrailingSeparator(std::string dir) {
    // Keep a lone "/" (the root) as it is.
    while (dir.size() > 1 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    return dir;
}

std::string CurrentDir() {
    std::error_code ec;
    auto dir = std::filesystem::current_path(ec);
    return ec ? std::string() : vx::FromFsName(dir.string());
}

} // namespace

double RoundToSixDecimals(double x) {
    // Beyond this the scaled value has no fraction worth the work: the text decides.
    if (!(std::fabs(x) < 1e9)) return vx::ParseDouble(vx::Format("%f", x));
    // x * 10^6 exactly is y + err; y - n is exact, as n is y's nearest integer.
    const double y = x * 1e6;
    const double err = std::fma(x, 1e6, -y);
    double n = std::nearbyint(y);
    const double d = y - n;
    // y halfway between two integers: the part rounded off in y decides,
    // an exact half goes to the even one as nearbyint chose.
    if (std::fabs(d) == 0.5 && err != 0 && (err > 0) == (d > 0)) n += d > 0 ? 1 : -1;
    // The text of a value that rounds to zero keeps its sign.
    if (n == 0) return std::signbit(x) ? -0.0 : 0.0;
    return n / 1e6;
}

std::string FormatFixed(double x, int width, int maxDecimals) {
    std::string text = vx::Format("%f", x);
    int decimals = 0;
    size_t point = text.find('.');
    if (point != std::string::npos) {
        size_t end = text.size();
        while (end > point + 1 && text[end - 1] == '0') --end;
        decimals = int(end - point - 1);
    }
    if (maxDecimals != 0 && maxDecimals < decimals) decimals = maxDecimals;
    if (width != 0) return vx::Format(vx::Format("%%%d.%df", width, decimals), x);
    return vx::Format(vx::Format("%%.%df", decimals), x);
}

void AppendMessage(std::string& message, const std::string& part) {
    if (part.empty()) return;
    if (!message.empty() && !message.ends_with("\r\n")) message += "\r\n";
    message += part;
}

void CheckCell(CWerte& cell, std::string& message, std::vector<int>* ids, int& failed) {
    std::string m;
    cell.CheckRange(m, ids, &failed);
    AppendMessage(message, m);
}

std::string GetProgramDir() {
    static const std::string dir = [] {
        std::string d = vx::ProgramDir();
        if (d.empty()) d = CurrentDir();
        return WithoutTrailingSeparator(d);
    }();
    return dir;
}

void SetCdStartMode(bool on) { g_CdStart = on; }
bool IsCdStartMode() { return g_CdStart; }

std::string GetDataDir(const char* name) {
    if (g_CdStart) return GetProgramDir();
    static const std::string fallback =
        WithoutTrailingSeparator(vx::Profile().GetPath("Datenbank", "Pfad", CurrentDir()));
    std::string key = name ? vx::Format("Pfad_%s", name) : std::string("Pfad");
    return WithoutTrailingSeparator(vx::Profile().GetPath("Datenbank", key, fallback));
}

std::string QuoteForRecord(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '"') c = '\'';
    return out;
}

int ArchiveFormat(const vx::Archive& ar) { return ar.IsStoring() ? vx::kFileFormatCurrent : vx::g_FileFormat; }
