// Stands in for Quorvel's project and remark dialogs in the tests of the
// library's document commands.
#include <string>

namespace {
std::string g_Answer;
}

extern "C" {

// "CANCEL" anywhere in the record plays the user pressing Cancel. The
// answer names the project and knows the recipient's height only.
const char* GetProjektDaten(const char* record) {
    if (std::string(record).find("CANCEL") != std::string::npos) return nullptr;
    // "CLIMB" plays a project number typed with folder parts.
    if (std::string(record).find("CLIMB") != std::string::npos) {
        g_Answer = "<PROJEKTDATEN FORMAT=1><Projekt NUMMER=\"../../2026/17\"></PROJEKTDATEN>";
        return g_Answer.c_str();
    }
    g_Answer = "<PROJEKTDATEN FORMAT=1><Projekt NUMMER=\"P-4711\"><GEO EMPF=480.5 STDO=-99></PROJEKTDATEN>";
    return g_Answer.c_str();
}

const char* GetBemerkung(const char* text) {
    g_Answer = std::string(text) + " (bearbeitet)";
    return g_Answer.c_str();
}
}
