#include "velmora/shared/QuorvelLibrary.h"

#include "platform/Files.h"
#include "platform/Profile.h"

bool QuorvelLibrary::Load(const std::string& path) {
    lib_.Close();
    if (path.empty()) return false;
    return lib_.Open(path);
}

bool QuorvelLibrary::InitQuorvel(const std::string& profileName, const std::string& helpPath,
                                 const std::string& registryKey) {
    auto fn = lib_.Function<QuorvelInitFn>("InitQuorvel");
    if (!fn) return false;
    fn(profileName.c_str(), helpPath.c_str(), registryKey.c_str());
    return true;
}

std::optional<std::string> QuorvelLibrary::Answer(const char* text) {
    if (!text) return std::nullopt;
    return std::string(text);
}

std::optional<std::string> QuorvelLibrary::GetAnwenderDaten(const std::string& record, int layoutFlags) {
    auto fn = lib_.Function<QuorvelRecordFn>("GetAnwenderDaten");
    if (!fn) return std::nullopt;
    return Answer(fn(record.c_str(), layoutFlags));
}

std::optional<std::string> QuorvelLibrary::GetProjektDaten(const std::string& record) {
    auto fn = lib_.Function<QuorvelTextFn>("GetProjektDaten");
    if (!fn) return std::nullopt;
    return Answer(fn(record.c_str()));
}

std::optional<std::string> QuorvelLibrary::GetBemerkung(const std::string& text) {
    auto fn = lib_.Function<QuorvelTextFn>("GetBemerkung");
    if (!fn) return std::nullopt;
    return Answer(fn(text.c_str()));
}

std::optional<int> QuorvelLibrary::NeuLadenAlt(const std::string& title, const std::string& text,
                                               const std::string& choice1, const std::string& choice2,
                                               const std::string& openChoice, int icon1, int icon2,
                                               int icon3) {
    auto fn = lib_.Function<QuorvelStartChoiceFn>("NeuLadenAlt");
    if (!fn) return std::nullopt;
    return fn(title.c_str(), text.c_str(), choice1.c_str(), choice2.c_str(), openChoice.c_str(), icon1,
              icon2, icon3);
}

std::optional<int> QuorvelLibrary::CallDialog(const char* name) {
    auto fn = lib_.Function<QuorvelDialogFn>(name);
    if (!fn) return std::nullopt;
    return fn();
}

QuorvelLibrary& Quorvel() {
    static QuorvelLibrary library;
    return library;
}

std::string QuorvelLibraryPath() {
    return vx::Profile().GetPath("Quorvel", "DLL", vx::JoinPath(vx::ProgramDir(), "libquorvel.so"));
}
