// Message boxes and the beep. The programs install the window version; tests
// install a scripted one that records every message and answers as told.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace vx {

// Buttons and icons, and the answers, with the values the system's code uses.
enum : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_ABORTRETRYIGNORE = 0x02,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_RETRYCANCEL = 0x05,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
    MB_TYPEMASK = 0x0F,
    MB_ICONMASK = 0xF0,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

class MessageService {
public:
    virtual ~MessageService() = default;
    // caption and text in code page 1252; returns one of the ID answers, or
    // 0 when the box could not be shown.
    virtual int Show(const std::string& caption, const std::string& text, unsigned flags) = 0;
    virtual void Beep(unsigned type) = 0;
};

// Without a display: writes the message to stderr and answers with the first button.
class ConsoleMessageService : public MessageService {
public:
    int Show(const std::string& caption, const std::string& text, unsigned flags) override;
    void Beep(unsigned) override {}
};

class ScriptedMessageService : public MessageService {
public:
    struct Shown {
        std::string caption, text;
        unsigned flags;
    };
    int Show(const std::string& caption, const std::string& text, unsigned flags) override;
    void Beep(unsigned type) override { beeps.push_back(type); }

    // Answers given in turn; when they run out, the first button's answer.
    std::deque<int> answers;
    std::vector<Shown> shown;
    std::vector<unsigned> beeps;
};

// The first button's answer for a button set.
int DefaultAnswer(unsigned flags);

MessageService& Messages();
// Installs a service (not owned); nullptr goes back to the console one.
void SetMessageService(MessageService* service);

// The caption of messages shown without one (the program's name).
void SetMessageCaption(std::string caption);
const std::string& MessageCaption();

inline int ShowMessage(const std::string& text, unsigned flags = MB_OK | MB_ICONEXCLAMATION,
                       const std::string& caption = MessageCaption()) {
    return Messages().Show(caption, text, flags);
}
int ShowMessageId(unsigned stringId, unsigned flags = MB_OK | MB_ICONEXCLAMATION);
inline void MessageBeep(unsigned type) { Messages().Beep(type); }

// Installs a scripted service for the lifetime of a test scope.
class ScopedScriptedMessages {
public:
    ScopedScriptedMessages() : previous_(&Messages()) { SetMessageService(&service); }
    ~ScopedScriptedMessages() { SetMessageService(previous_); }
    ScriptedMessageService service;

private:
    MessageService* previous_;
};

} // namespace vx
