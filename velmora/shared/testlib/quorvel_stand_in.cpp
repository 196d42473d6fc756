// Stands in for Quorvel in the binding tests: answers the user-data dialog
// and keeps a log of the calls that a test reads back.
#include <string>

namespace {
std::string g_Log;
std::string g_Answer;
} // namespace

extern "C" {

void InitQuorvel(const char* profileName, const char* helpPath, const char* registryKey) {
    g_Log += std::string("InitQuorvel(") + profileName + "|" + helpPath + "|" + registryKey + ")";
}

// "CANCEL" anywhere in the record plays the user pressing Cancel.
const char* GetAnwenderDaten(const char* record, int layoutFlags) {
    std::string in(record);
    g_Log += "GetAnwenderDaten(" + std::to_string(layoutFlags) + ")";
    if (in.find("CANCEL") != std::string::npos) return nullptr;
    g_Answer = "<ANWENDERDATEN FORMAT=1><DATEN NAME1=\"Schornsteinbau Nord\"></ANWENDERDATEN>";
    return g_Answer.c_str();
}

const char* vx_test_quorvel_log() { return g_Log.c_str(); }
void vx_test_quorvel_clear() { g_Log.clear(); }
}
