// Stands in for Quorvel in the binding tests: answers the user-data dialog
// and keeps a log of the calls that a test reads back, in memory and, for a
// test that runs a whole program, appended to the file $VX_QUORVEL_LOG.
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
std::string g_Log;
std::string g_Answer;

void Note(const std::string& call) {
    g_Log += call;
    if (const char* file = std::getenv("VX_QUORVEL_LOG")) {
        if (FILE* f = std::fopen(file, "a")) {
            std::fputs((call + "\n").c_str(), f);
            std::fclose(f);
        }
    }
}
} // namespace

extern "C" {

void InitQuorvel(const char* profileName, const char* helpPath, const char* registryKey) {
    Note(std::string("InitQuorvel(") + profileName + "|" + helpPath + "|" + registryKey + ")");
}

// "CANCEL" anywhere in the record plays the user pressing Cancel.
const char* GetAnwenderDaten(const char* record, int layoutFlags) {
    std::string in(record);
    Note("GetAnwenderDaten(" + std::to_string(layoutFlags) + ")");
    if (in.find("CANCEL") != std::string::npos) return nullptr;
    g_Answer = "<ANWENDERDATEN FORMAT=1><DATEN NAME1=\"Schornsteinbau Nord\"></ANWENDERDATEN>";
    return g_Answer.c_str();
}

const char* vx_test_quorvel_log() { return g_Log.c_str(); }
void vx_test_quorvel_clear() { g_Log.clear(); }
}
