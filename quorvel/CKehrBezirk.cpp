#include "quorvel/CKehrBezirk.h"

#include "platform/Files.h"
#include "platform/Profile.h"

#include <cstring>

namespace {

constexpr size_t kBufferLen = 52;
using Buffers = std::array<std::array<char, kBufferLen>, 9>;

extern "C" {
typedef int (*KehrVoidFn)();
typedef int (*KehrGetAdresseFn)(const char*, const char*, const char*, char*, char*, char*, char*, char*,
                                char*, char*, char*, char*);
typedef int (*KehrGetAdresseDlgFn)(char*, char*, char*, char*, char*, char*, char*, char*, char*);
}

// A buffer that the library filled to the brim has no terminator: read at most its length.
CKehrBezirk::Address Take(const Buffers& b) {
    CKehrBezirk::Address out;
    for (size_t i = 0; i < b.size(); ++i) out[i].assign(b[i].data(), strnlen(b[i].data(), kBufferLen));
    return out;
}

} // namespace

void CKehrBezirk::Load(const std::string& kehrIni) {
    Unload();
    vx::IniFile ini(vx::ResolveNoCase(vx::NormalizeSlashes(kehrIni)));
    if (vx::ReportOversizedSettings(ini)) return;
    mode_ = ini.GetInt("Kehrbezirk", "KehrSW", 0);
    if (mode_ == 0) return;
    std::string name = ini.GetPath("Kehrbezirk", "KehrSW_DLL", "");
    if (name.size() > 255) name.resize(255);
    name = vx::NormalizeSlashes(name);
    bool loaded = false;
    if (!name.empty()) {
        // A bare name is looked for beside the program first, as the system's loader does.
        if (name.find('/') == std::string::npos) loaded = lib_.Open(vx::JoinPath(vx::ProgramDir(), name));
        if (!loaded) loaded = lib_.Open(name);
    }
    if (!loaded) {
        mode_ = 0;
        return;
    }
    if (auto start = lib_.Function<KehrVoidFn>("StartDAO")) start();
}

void CKehrBezirk::Unload() {
    if (lib_.IsOpen()) {
        if (auto stop = lib_.Function<KehrVoidFn>("StoppDAO")) stop();
        lib_.Close();
    }
    mode_ = 0;
}

std::optional<int> CKehrBezirk::SuchIndex() {
    auto fn = lib_.Function<KehrVoidFn>("SuchIndex");
    if (!fn) return std::nullopt;
    return fn();
}

std::optional<CKehrBezirk::Address> CKehrBezirk::GetAdresse(const std::string& index1, const std::string& index2,
                                                            const std::string& index3) {
    auto fn = lib_.Function<KehrGetAdresseFn>("GetAdresse");
    if (!fn) return std::nullopt;
    Buffers b{};
    fn(index1.c_str(), index2.c_str(), index3.c_str(), b[0].data(), b[1].data(), b[2].data(), b[3].data(),
       b[4].data(), b[5].data(), b[6].data(), b[7].data(), b[8].data());
    return Take(b);
}

std::optional<CKehrBezirk::Address> CKehrBezirk::GetAdresseDLG() {
    auto fn = lib_.Function<KehrGetAdresseDlgFn>("GetAdresseDLG");
    if (!fn) return std::nullopt;
    Buffers b{};
    if (fn(b[0].data(), b[1].data(), b[2].data(), b[3].data(), b[4].data(), b[5].data(), b[6].data(),
           b[7].data(), b[8].data()) == 0)
        return std::nullopt;
    return Take(b);
}
