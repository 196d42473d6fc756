// The index tests' fixture: a scratch ADRESSE table with two tags.
#pragma once

#include "testsupport/dbase/EngineTestSupport.h"
#include "dbase/data/Field.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"
#include "dbase/index/IndexFile.h"

#include <initializer_list>

namespace vx::test {

class IndexTest : public EngineTest {
protected:
    TableHandle* CreateAdresse() {
        const FieldInfo fields[] = {{"MATCH", 'C', 10, 0, 0},      {"NAME1", 'C', 50, 0, 0},
                                    {"NAME2", 'C', 50, 0, 0},      {"NAME1_SOUN", 'C', 4, 0, 0},
                                    {"STRASSE", 'C', 50, 0, 0},    {}};
        const TagInfo tags[] = {{"PRIMARY", "MATCH", nullptr, 0, 0}, {"SOUND", "NAME1_SOUN", nullptr, 0, 0}, {}};
        return tableCreate(&ctx, Path("ADRESSE"), fields, tags);
    }
    void Append(TableHandle* t, const char* match, const char* sound = "S") {
        ASSERT_EQ(tableAppendStart(t, false), 0);
        ASSERT_EQ(tableBlank(t), 0);
        ASSERT_EQ(fieldAssign(tableField(t, "MATCH"), match), 0);
        ASSERT_EQ(fieldAssign(tableField(t, "NAME1_SOUN"), sound), 0);
        ASSERT_EQ(tableAppend(t), 0);
    }
    TagFile* Tag(TableHandle* t, const char* name) {
        TagHandle* th = tableTag(t, name);
        return th ? th->tagFile : nullptr;
    }
    // ADRESSE with these match codes, opened by this context (a) and by other (b).
    void OpenByTwoUsers(std::initializer_list<const char*> matches, EngineContext& other, TableHandle** a,
                        TableHandle** b) {
        TableHandle* t = CreateAdresse();
        ASSERT_NE(t, nullptr);
        for (const char* m : matches) Append(t, m);
        ASSERT_EQ(tableClose(t), 0);
        ASSERT_EQ(engineInit(&other), 0);
        *a = tableOpen(&ctx, Path("ADRESSE"));
        *b = tableOpen(&other, Path("ADRESSE"));
        ASSERT_TRUE(*a && *b);
    }
};

} // namespace vx::test
