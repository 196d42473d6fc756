#include "platform/MessageService.h"

#include "platform/CodePage.h"
#include "platform/StringTable.h"

#include <cstdio>

namespace vx {
namespace {
ConsoleMessageService g_console;
MessageService* g_service = &g_console;
std::string g_caption;  // the program sets its name at start
} // namespace

int DefaultAnswer(unsigned flags) {
    switch (flags & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    default: return IDOK;
    }
}

int ConsoleMessageService::Show(const std::string& caption, const std::string& text, unsigned flags) {
    std::fprintf(stderr, "%s: %s\n", Cp1252ToUtf8(caption).c_str(), Cp1252ToUtf8(text).c_str());
    return DefaultAnswer(flags);
}

int ScriptedMessageService::Show(const std::string& caption, const std::string& text, unsigned flags) {
    shown.push_back({caption, text, flags});
    if (answers.empty()) return DefaultAnswer(flags);
    int a = answers.front();
    answers.pop_front();
    return a;
}

MessageService& Messages() { return *g_service; }
void SetMessageService(MessageService* service) { g_service = service ? service : &g_console; }
void SetMessageCaption(std::string caption) { g_caption = std::move(caption); }
const std::string& MessageCaption() { return g_caption; }

int ShowMessageId(unsigned stringId, unsigned flags) { return ShowMessage(LoadString(stringId), flags); }

} // namespace vx
