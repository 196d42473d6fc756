// The results of both programs' computations, bit for bit as in the dump
// kept in the tree: the chain sweeps, the sample diagrams, and the first
// manufacturer of every fuel position of the assignment tables. The whole
// dump is compared by the benchmarks' result_dump.
#include "testsupport/tarsilo/TarsiloModelTestEnv.h"
#include "testsupport/ResultDump.h"

#include <fstream>
#include <sstream>

namespace {

class ResultDumpTest : public TarsiloModelTest {
protected:
    std::map<std::string, resultdump::Stored> Stored() {
        std::ifstream in(vx::JoinPath(SourceDir(), "testsupport/results.dump"), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return resultdump::Parse(text.str());
    }
    static std::string Joined(const std::vector<std::string>& lines) {
        std::string all;
        for (const auto& l : lines) all += l + "\n";
        return all;
    }
};

TEST_F(ResultDumpTest, ChainSweepsDiagramsAndTablesGiveTheStoredResults) {
    std::vector<resultdump::Section> sections = resultdump::ChainSweeps();
    for (auto& s : resultdump::Diagrams(SampleData())) sections.push_back(std::move(s));
    const size_t chainAndDiagrams = sections.size();
    for (auto& s : resultdump::Tables(dir_.string(), SampleData(), 5000, 1, 1)) sections.push_back(std::move(s));
    EXPECT_EQ(chainAndDiagrams, 11u);
    // Every configuration has manufacturers with rows.
    EXPECT_GE(sections.size() - chainAndDiagrams, 8u * 10u);
    const auto stored = Stored();
    for (const auto& s : sections) {
        const auto it = stored.find(s.name);
        ASSERT_NE(it, stored.end()) << s.name;
        EXPECT_EQ(it->second.full, s.full) << s.name;
    }
    const auto differences = resultdump::Compare(sections, stored);
    EXPECT_TRUE(differences.empty()) << Joined(differences);
}

} // namespace
