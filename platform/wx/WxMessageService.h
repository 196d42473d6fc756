// Message boxes as real dialogs. The generic dialog is used rather than the
// native GTK one so that it is modal in the usual way and can be driven in tests.
#pragma once

#include "platform/MessageService.h"

class wxWindow;

namespace vx {

class WxMessageService : public MessageService {
public:
    int Show(const std::string& caption, const std::string& text, unsigned flags) override;
    void Beep(unsigned type) override;
};

// Set in the environment, messages go to standard error instead of dialogs.
constexpr const char* kConsoleMessagesVariable = "VX_CONSOLE_MESSAGES";

// Installs the dialog version for the rest of the process (or of the loaded
// library), unless the environment asks for standard error.
void InstallWxMessageService();

} // namespace vx
