// Stands in for a sweep-district library in the tests: counts the calls and
// fills the address buffers, the first one to the brim without a terminator.
#include <cstring>

namespace {
int g_starts = 0;
int g_stops = 0;
char g_lastIndex[64] = {};

void Fill(char* b[9]) {
    std::memset(b[0], 'N', 52);
    for (int i = 1; i < 9; ++i) std::strcpy(b[i], i == 3 ? "12345 Musterstadt" : "Feld");
}
} // namespace

extern "C" {
void StartDAO() { ++g_starts; }
void StoppDAO() { ++g_stops; }
int SuchIndex() { return 2; }
int GetAdresse(const char* index1, const char*, const char*, char* b1, char* b2, char* b3, char* b4, char* b5,
               char* b6, char* b7, char* b8, char* b9) {
    char* b[9] = {b1, b2, b3, b4, b5, b6, b7, b8, b9};
    std::strncpy(g_lastIndex, index1 ? index1 : "", sizeof g_lastIndex - 1);
    Fill(b);
    return 1;
}
int GetAdresseDLG(char* b1, char* b2, char* b3, char* b4, char* b5, char* b6, char* b7, char* b8, char* b9) {
    char* b[9] = {b1, b2, b3, b4, b5, b6, b7, b8, b9};
    Fill(b);
    return 1;
}

const char* kehr_test_last_index() { return g_lastIndex; }
int kehr_test_starts() { return g_starts; }
int kehr_test_stops() { return g_stops; }
void kehr_test_reset() { g_starts = g_stops = 0; }
}
