#include "quorvel/FormLayout.h"

#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/Profile.h"

#include <cmath>
#include <string_view>

namespace {

constexpr double kMaxMarginCm = 2.0;
// Lines were read in pieces of at most this many characters.
constexpr size_t kLinePiece = 254;

std::string LocalPath(const std::string& path) { return vx::ResolveNoCase(vx::NormalizeSlashes(path)); }

// Rounded, so that 0,57 cm gives 5700 and not 5699.
long Micrometres(double cm) { return std::lround(cm * 10000.0); }

} // namespace

FormMargins ReadFormMargins(const std::string& layoutPath) {
    vx::IniFile layout(LocalPath(layoutPath));
    FormMargins m;
    m.topCm = layout.GetInt("Layout", "yOffset", 0) / 10000.0;
    m.leftCm = layout.GetInt("Layout", "xOffset", 0) / 10000.0;
    return m;
}

std::string LayoutBackupPath(const std::string& layoutPath) {
    return layoutPath.empty() ? layoutPath : layoutPath.substr(0, layoutPath.size() - 1);
}

bool WriteFormMargins(const std::string& layoutPath, const FormMargins& margins) {
    const std::string path = LocalPath(layoutPath);
    const std::string backup = LocalPath(LayoutBackupPath(layoutPath));
    std::string original;
    if (!vx::ReadWholeFile(path, original)) return false;
    if (!vx::WriteFileAtomic(backup, original)) return false;
    std::string out;
    size_t pos = 0;
    while (pos < original.size()) {
        size_t end = original.find('\n', pos);
        end = end == std::string::npos ? original.size() : end + 1;
        end = std::min(end, pos + kLinePiece);
        const std::string_view piece(original.data() + pos, end - pos);
        if (piece.find("xOffset") != std::string_view::npos)
            out += vx::Format(" xOffset=%ld\n", Micrometres(margins.leftCm));
        else if (piece.find("yOffset") != std::string_view::npos)
            out += vx::Format(" yOffset=%ld\n", Micrometres(margins.topCm));
        else
            out += piece;
        pos = end;
    }
    return vx::WriteFileAtomic(path, out);
}

int WrongMargin(const FormMargins& m) {
    // Negative margins are as impossible as wide ones.
    auto wrong = [](double cm) { return !(cm >= 0.0 && cm <= kMaxMarginCm); };
    if (wrong(m.topCm)) return 1;
    if (wrong(m.leftCm)) return 2;
    return 0;
}
