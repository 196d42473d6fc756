// Shared by the engine's tests: a scratch directory, a context with the
// message box and the fatal exit captured, and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "dbase/EngineContext.h"
#include "platform/Files.h"
#include "platform/MessageService.h"

namespace vx::test {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxdbaseXXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir = tmpl;
        engineHooksReset();
        engineHooks().pump = [this](int h) { waits.push_back(h); };
        engineHooks().fatalExit = [this](int code) { fatal.push_back(code); };
        ASSERT_EQ(engineInit(&ctx), 0);
    }
    void TearDown() override {
        ctx.errorCode = 0;
        engineInitUndo(&ctx);
        engineHooksReset();
        std::filesystem::remove_all(dir);
    }
    std::string Path(const std::string& name) const { return dir + "/" + name; }
    std::string Read(const std::string& name) const {
        std::string out;
        ReadWholeFile(Path(name), out);
        return out;
    }
    void Write(const std::string& name, const std::string& data) const {
        FILE* f = std::fopen(Path(name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
    }
    // The message boxes shown so far.
    const std::vector<ScriptedMessageService::Shown>& Shown() const { return messages.service.shown; }

    std::string dir;
    EngineContext ctx;
    ScopedScriptedMessages messages;
    std::vector<int> waits;
    std::vector<int> fatal;
};

inline unsigned Byte(const std::string& s, size_t i) { return static_cast<unsigned char>(s.at(i)); }
inline unsigned Word(const std::string& s, size_t i) { return Byte(s, i) | Byte(s, i + 1) << 8; }
inline unsigned long Dword(const std::string& s, size_t i) {
    return Word(s, i) | static_cast<unsigned long>(Word(s, i + 2)) << 16;
}

} // namespace vx::test
