// The library's eight exports. Each one catches whatever its work throws,
// reports it and gives its cancel value, so that nothing crosses into the host.
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "quorvel/CQuorvelApp.h"
#ifdef VX_QUORVEL_DISPLAY
#include "quorvel/QuorvelDialogRuns.h"
#include "quorvel/QuorvelDisplay.h"
#include "quorvel/ProjectDialogRun.h"
#include "quorvel/UserDialogRuns.h"
#endif

#include <exception>
#include <string>

#define QUORVEL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

void ReportFailure(const char* where, const char* what) {
    vx::ShowMessage(vx::Format(QuorvelString(IDS_QV_INTERNAL_ERROR), where, what), vx::MB_OK | vx::MB_ICONSTOP);
}

template <typename Fn, typename R>
R Guarded(const char* where, R cancel, Fn&& fn) {
    try {
        return fn();
    } catch (const std::exception& e) {
        ReportFailure(where, e.what());
    } catch (...) {
        ReportFailure(where, QuorvelString(IDS_QV_UNKNOWN_EXCEPTION).c_str());
    }
    return cancel;
}

} // namespace

QUORVEL_EXPORT void InitQuorvel(const char* profileName, const char* helpPath, const char* registryKey) {
    Guarded("InitQuorvel", 0, [&] {
#ifdef VX_QUORVEL_DISPLAY
        InstallQuorvelDisplay();
#endif
        TheQuorvelApp().Init(profileName ? profileName : "", helpPath ? helpPath : "",
                             registryKey ? registryKey : "");
        return 0;
    });
}

// The dialogs below come with their own work; until then each export answers
// as its dialog does when the user cancels.
QUORVEL_EXPORT const char* GetAnwenderDaten(const char* record, int layoutFlags) {
#ifdef VX_QUORVEL_DISPLAY
    return Guarded("GetAnwenderDaten", static_cast<const char*>(nullptr),
                   [&] { return RunUserDataDialog(record, layoutFlags); });
#else
    (void)record;
    (void)layoutFlags;
    return nullptr;
#endif
}

QUORVEL_EXPORT const char* GetProjektDaten(const char* record) {
#ifdef VX_QUORVEL_DISPLAY
    // Valid until the next call; freed when the library unloads.
    static std::string edited;
    return Guarded("GetProjektDaten", static_cast<const char*>(nullptr), [&]() -> const char* {
        return RunProjectDialog(record ? record : "", edited) ? edited.c_str() : nullptr;
    });
#else
    (void)record;
    return nullptr;
#endif
}

QUORVEL_EXPORT const char* GetBemerkung(const char* text) {
#ifdef VX_QUORVEL_DISPLAY
    // Valid until the next call; freed when the library unloads.
    static std::string edited;
    return Guarded("GetBemerkung", static_cast<const char*>(nullptr), [&]() -> const char* {
        std::string result;
        if (!RunRemarkDialog(text ? text : "", result)) return nullptr;
        edited = std::move(result);
        return edited.c_str();
    });
#else
    (void)text;
    return nullptr;
#endif
}

QUORVEL_EXPORT int NeuLadenAlt(const char* title, const char* text, const char* choice1, const char* choice2,
                               const char* openChoice, int icon1, int icon2, int icon3) {
#ifdef VX_QUORVEL_DISPLAY
    return Guarded("NeuLadenAlt", int(vx::IDCANCEL),
                   [&] { return RunStartDialog(title, text, choice1, choice2, openChoice, icon1, icon2, icon3); });
#else
    (void)title, (void)text, (void)choice1, (void)choice2, (void)openChoice, (void)icon1, (void)icon2, (void)icon3;
    return vx::IDCANCEL;
#endif
}

QUORVEL_EXPORT int BearbOrte() {
#ifdef VX_QUORVEL_DISPLAY
    return Guarded("BearbOrte", int(vx::IDCANCEL), [] { return RunPlacesDialog(); });
#else
    return vx::IDCANCEL;
#endif
}
QUORVEL_EXPORT int WdbBestell() {
#ifdef VX_QUORVEL_DISPLAY
    return Guarded("WdbBestell", int(vx::IDCANCEL), [] { return RunOrderDialog(); });
#else
    return vx::IDCANCEL;
#endif
}
QUORVEL_EXPORT int Formular() {
#ifdef VX_QUORVEL_DISPLAY
    return Guarded("Formular", int(vx::IDCANCEL), [] { return RunFormularDialog(); });
#else
    return vx::IDCANCEL;
#endif
}
