// Test surroundings of the library's tables: a scratch folder (also the
// temporary folder), message boxes recorded, and helpers that build tables
// as another program or an older version would have left them.
#pragma once

#include "dbase/Engine.h"
#include "dbase/data/Field.h"
#include "dbase/data/Table.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "testsupport/quorvel/QuorvelScratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

class QuorvelTest : public ::testing::Test {
public:
    // One record: field name to text (memos too); "*" set marks it deleted.
    using Row = std::map<std::string, std::string>;

protected:
    void SetUp() override {
        dir = scratch_.Path();
        ASSERT_FALSE(dir.empty());
        std::filesystem::create_directories(dir + "/tmp");
        const char* old = std::getenv("TMPDIR");
        oldTmp_ = old ? old : "";
        ::setenv("TMPDIR", (dir + "/tmp").c_str(), 1);
        vx::engineHooksReset();
        vx::engineHooks().pump = [](int) {};
        vx::engineHooks().fatalExit = [this](int code) { fatal.push_back(code); };
    }
    void TearDown() override {
        vx::engineHooksReset();
        if (oldTmp_.empty()) ::unsetenv("TMPDIR");
        else ::setenv("TMPDIR", oldTmp_.c_str(), 1);
    }
    std::string Path(const std::string& name) const { return dir + "/" + name; }
    std::string Read(const std::string& name) const {
        std::string out;
        vx::ReadWholeFile(Path(name), out);
        return out;
    }
    const std::vector<vx::ScriptedMessageService::Shown>& Shown() const { return messages.service.shown; }

    // Builds a table in its own context, closed again on return.
    static void MakeTable(const std::string& path, const vx::FieldInfo* fields, const vx::TagInfo* tags,
                          const std::vector<Row>& rows) {
        vx::EngineContext ctx;
        ASSERT_EQ(vx::engineInit(&ctx), 0);
        ctx.safety = 0;
        vx::TableHandle* t = vx::tableCreate(&ctx, path, fields, tags);
        ASSERT_NE(t, nullptr);
        for (const Row& row : rows) {
            ASSERT_EQ(vx::tableAppendBlank(t), 0);
            for (const auto& [name, value] : row) {
                if (name == "*") continue;
                vx::Field* f = vx::tableField(t, name.c_str());
                ASSERT_NE(f, nullptr) << name;
                if (f->type == 'M') vx::fieldMemoAssignN(f, value.data(), uint32_t(value.size()));
                else vx::fieldAssignN(f, value.data(), value.size());
            }
            if (row.count("*")) vx::tableDelete(t);
        }
        ASSERT_EQ(vx::tableClose(t), 0);
        vx::engineInitUndo(&ctx);
    }

    std::string dir;
    vx::ScopedScriptedMessages messages;
    std::vector<int> fatal;

private:
    QuorvelScratch scratch_;
    std::string oldTmp_;
};
