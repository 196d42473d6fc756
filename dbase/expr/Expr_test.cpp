#include "dbase/expr/Expr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "dbase/util/Bcd.h"
#include "dbase/util/Collate.h"
#include "dbase/util/Date.h"
#include "dbase/expr/ExprStep.h"
#include "platform/NumText.h"

namespace vx {
namespace {

// A table of fixed fields over one record buffer.
class TestTable : public ExprTable {
public:
    struct Def {
        std::string name;
        char type;
        int length;
        int decimals;
    };

    explicit TestTable(std::vector<Def> defs) : defs_(std::move(defs)) {
        int offset = 1;
        for (const Def& d : defs_) {
            offsets_.push_back(offset);
            offset += d.length;
        }
        record_.assign(size_t(offset), ' ');
        memos_.resize(defs_.size());
    }

    void Set(const std::string& name, const std::string& value) {
        int i = exprFieldIndex(name);
        ASSERT_GE(i, 0) << name;
        std::string v = value;
        v.resize(size_t(defs_[size_t(i)].length), ' ');
        std::memcpy(&record_[size_t(offsets_[size_t(i)])], v.data(), v.size());
    }
    void SetMemo(const std::string& name, const std::string& value) {
        memos_[size_t(exprFieldIndex(name))] = value;
    }
    void SetDeleted(bool deleted) { record_[0] = deleted ? '*' : ' '; }
    void AddAlias(const std::string& alias, ExprTable* t) { aliases_[alias] = t; }
    bool inError = false;
    long recNo = 7;

    int exprFieldIndex(std::string_view name) override {
        for (size_t i = 0; i < defs_.size(); ++i) {
            std::string upper(name);
            for (char& c : upper) c = char(std::toupper((unsigned char)c));
            if (defs_[i].name == upper) return int(i);
        }
        return -210;
    }
    ExprFieldInfo exprFieldInfo(int index) override {
        const Def& d = defs_[size_t(index)];
        return {d.type, d.length, d.decimals, offsets_[size_t(index)]};
    }
    const char* exprRecord() override { return record_.data(); }
    std::string_view exprMemo(int index) override { return memos_[size_t(index)]; }
    long exprRecordCount() override { return 42; }
    long exprRecordNumber() override { return recNo; }
    ExprTable* exprTableByAlias(std::string_view alias) override {
        auto it = aliases_.find(std::string(alias));
        return it == aliases_.end() ? nullptr : it->second;
    }
    bool exprInError() override { return inError; }

private:
    std::vector<Def> defs_;
    std::vector<int> offsets_;
    std::string record_;
    std::vector<std::string> memos_;
    std::map<std::string, ExprTable*> aliases_;
};

class ExprTest : public ::testing::Test {
protected:
    ExprTest()
        : table({{"NAME", 'C', 10, 0},
                 {"ORT", 'C', 20, 0},
                 {"PREIS", 'N', 8, 2},
                 {"MENGE", 'F', 5, 0},
                 {"DATUM", 'D', 8, 0},
                 {"LEER", 'D', 8, 0},
                 {"AKTIV", 'L', 1, 0},
                 {"NOTIZ", 'M', 10, 0},
                 {"BILD", 'G', 10, 0}}),
          other({{"PLZ", 'C', 5, 0}}) {
        table.Set("NAME", "Meier");
        table.Set("ORT", "Bonn");
        table.Set("PREIS", "  123.45");
        table.Set("MENGE", "   -2");
        table.Set("DATUM", "20080828");
        table.Set("AKTIV", "T");
        table.SetMemo("NOTIZ", "Notiz");
        other.Set("PLZ", "53111");
        table.AddAlias("ADRESSE", &table);
        table.AddAlias("PLZORT", &other);
    }

    std::unique_ptr<CompiledExpr> Parse(const std::string& text, bool index = false) {
        std::unique_ptr<CompiledExpr> e;
        int rc = exprParse(table, text, index, e, settings);
        EXPECT_EQ(rc, 0) << text;
        return e;
    }
    int ParseError(const std::string& text, bool index = false) {
        std::unique_ptr<CompiledExpr> e;
        int rc = exprParse(table, text, index, e, settings);
        EXPECT_EQ(rc < 0, e == nullptr) << text;
        return rc;
    }
    std::string Text(const std::string& text) {
        auto e = Parse(text);
        if (!e) return "<parse error>";
        EXPECT_TRUE(e->type == 'C' || e->type == 'N' || e->type == 'D') << text;
        const char* p = nullptr;
        int len = exprVary(*e, &p);
        EXPECT_EQ(len, e->length) << text;
        return std::string(p, size_t(len));
    }
    double Number(const std::string& text) {
        auto e = Parse(text);
        if (!e) return -99999;
        return exprDouble(*e);
    }
    int Logical(const std::string& text) {
        auto e = Parse(text);
        if (!e) return -99999;
        EXPECT_EQ(e->type, 'L') << text;
        return exprTrue(*e);
    }

    TestTable table;
    TestTable other;
    ExprSettings settings;
};

TEST_F(ExprTest, WorkedExamples) {
    EXPECT_EQ(Logical("\"A\"=\"ABC\""), 1);
    EXPECT_EQ(Logical("\"ABC\"=\"A\""), 1);
    EXPECT_EQ(Logical("\"ABC\">\"AB\""), 1);
    EXPECT_EQ(Logical("\"AB\"<\"ABC\""), 1);
    // A tie over the shorter length satisfies "<=" and ">=" (as a key range
    // over a tag does), but not "<" and ">".
    EXPECT_EQ(Logical("\"AB\">=\"ABC\""), 1);
    EXPECT_EQ(Logical("\"ABC\"<=\"AB\""), 1);
    EXPECT_EQ(Logical("\"ABC\"<\"AB\""), 0);
    EXPECT_EQ(Logical("\"AB\">\"ABC\""), 0);
    EXPECT_EQ(Logical("\"ABD\"<=\"AB\""), 1);
    EXPECT_EQ(Logical("\"ABD\"<=\"AC\""), 1);
    EXPECT_EQ(Logical("\"AD\"<=\"AC\""), 0);
    EXPECT_EQ(Number("2^3^2"), 64);
    EXPECT_EQ(Number("2**3**2"), 64);
    EXPECT_EQ(Number("1+2*3^2"), 19);
    EXPECT_EQ(Text("STR(3.14159,6,2)"), "  3.14");
    std::string d = Text("DESCEND(\"ABC\")");
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ((unsigned char)d[0], 0xBF);
    EXPECT_EQ((unsigned char)d[1], 0xBE);
    EXPECT_EQ((unsigned char)d[2], 0xBD);
}

TEST_F(ExprTest, ArithmeticAndPrecedence) {
    EXPECT_EQ(Number("10-4-3"), 3);
    EXPECT_EQ(Number("12/4/3"), 1);
    EXPECT_EQ(Number("(1+2)*3"), 9);
    EXPECT_EQ(Number("7/0"), 0);
    EXPECT_EQ(Number("-2 * -3"), 6);
    EXPECT_EQ(Number(".5+1."), 1.5);
    EXPECT_EQ(Number("PREIS*2"), 246.9);
    EXPECT_EQ(Number("PREIS+MENGE"), 121.45);
    EXPECT_EQ(Number("RECNO()+RECCOUNT()"), 49);
    EXPECT_EQ(Number("VAL(\" 12.5x\")"), 12.5);
    EXPECT_EQ(Number("PAGENO()"), 0);
}

TEST_F(ExprTest, LogicalOperators) {
    EXPECT_EQ(Logical(".T. .AND. .F."), 0);
    EXPECT_EQ(Logical(".t. .or. .f."), 1);
    EXPECT_EQ(Logical(".NOT. .F."), 1);
    EXPECT_EQ(Logical(".NOT. 1 = 2"), 1);
    EXPECT_EQ(Logical(".NOT. .T. .AND. .F."), 0);
    EXPECT_EQ(Logical(".TRUE. .AND. .TRUE. .AND. .TRUE."), 1);
    EXPECT_EQ(Logical(".TRUE. .AND. .TRUE. .AND. .FALSE."), 0);
    EXPECT_EQ(Logical(".F. .OR. .T. .AND. .F."), 0);
    EXPECT_EQ(Logical("AKTIV"), 1);
    EXPECT_EQ(Logical("AKTIV = .T."), 1);
    EXPECT_EQ(Logical("AKTIV # .T."), 0);
    EXPECT_EQ(Logical("PREIS > 100 .AND. NAME = \"Mei\""), 1);
    EXPECT_EQ(Logical("\"nn\" $ ORT"), 1);
    EXPECT_EQ(Logical("\"x\" $ ORT"), 0);
    EXPECT_EQ(Logical("DELETED()"), 0);
    table.SetDeleted(true);
    EXPECT_EQ(Logical("DELETED()"), 1);
    EXPECT_EQ(Text("DEL()"), "*");
}

TEST_F(ExprTest, AndRunsFoldIntoOneStep) {
    auto e = Parse(".T. .AND. .T. .AND. .F. .AND. .T.");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->steps.size(), 5u);
}

TEST_F(ExprTest, UmlautComparesByCollation) {
    table.Set("NAME", "M\x81ller");
    EXPECT_EQ(Logical("NAME = \"Mueller\""), 1);
    EXPECT_EQ(Logical("NAME < \"Mullet\""), 1);
}

TEST_F(ExprTest, StringFunctions) {
    EXPECT_EQ(Text("UPPER(NAME)"), "MEIER     ");
    EXPECT_EQ(Text("UPPER(LEFT(ORT,1))"), "B");
    EXPECT_EQ(Text("SUBSTR(NAME,2,3)"), "eie");
    EXPECT_EQ(Text("SUBSTR(NAME,8,5)"), "   ");
    EXPECT_EQ(Text("RIGHT(\"ABCDE\",2)"), "DE");
    EXPECT_EQ(Text("RIGHT(\"ABCDE\",-1)"), "");
    EXPECT_EQ(Text("LEFT(\"ABC\",9)"), "ABC");
    EXPECT_EQ(Text("CHR(65)"), "A");
    EXPECT_EQ(Text("NAME+ORT").size(), 30u);
    EXPECT_EQ(Text("NAME-\"X\""), "MeierX     ");
    EXPECT_EQ(Text("STR(PREIS)"), "       123");
    EXPECT_EQ(Text("STR(PREIS,10,2)"), "    123.45");
    EXPECT_EQ(Text("STR(1234567,5)"), "*****");
    EXPECT_EQ(Text("STR(2.5,3,5)"), "2.5");
    EXPECT_EQ(Text("STR(7,-1)"), "         7");
    EXPECT_EQ(Text("IIF(AKTIV,\"ja  \",\"nein\")"), "ja  ");
    EXPECT_EQ(Text("IIF(.NOT. AKTIV,\"ja  \",\"nein\")"), "nein");
    EXPECT_EQ(Number("IIF(AKTIV,1,2)"), 1);
}

TEST_F(ExprTest, TrimmingFunctions) {
    EXPECT_EQ(Text("TRIM(NAME)"), std::string("Meier\0\0\0\0\0", 10));
    EXPECT_EQ(Text("LTRIM(\"  AB \")"), std::string("AB \0\0", 5));
    EXPECT_EQ(Text("ALLTRIM(\"  AB \")"), std::string("AB\0\0\0", 5));
    // TRIM(A) + B puts B directly after the last non-blank of A.
    EXPECT_EQ(Text("TRIM(NAME)+ORT"),
              std::string("MeierBonn") + std::string(16, ' ') + std::string(5, '\0'));
    auto e = Parse("TRIM(NAME)+\"X\"");
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->trimming);
    const char* key = nullptr;
    ASSERT_EQ(exprKey(*e, &key), 11);
    EXPECT_EQ(std::string(key, 11), "MeierX     ");
}

TEST_F(ExprTest, DatesAndDayNumbers) {
    EXPECT_EQ(Text("DTOS(DATUM)"), "20080828");
    EXPECT_EQ(Text("DTOC(DATUM)"), "28.08.08");
    EXPECT_EQ(Text("DTOC(DATUM,1)"), Text("DTOS(DATUM)"));
    EXPECT_EQ(Text("DTOC(DATUM,1+2*3)"), "20080828");
    EXPECT_EQ(Number("DATUM+1"), 2454708);
    EXPECT_EQ(Text("DTOS(DATUM+4)"), "20080901");
    EXPECT_EQ(Number("DATUM-STOD(\"20080801\")"), 27);
    EXPECT_EQ(Number("DAY(DATUM)") + Number("MONTH(DATUM)") * 100, 828);
    EXPECT_EQ(Number("YEAR(DATUM)"), 2008);
    // A blank date stays blank.
    EXPECT_EQ(Number("LEER+5"), 0);
    EXPECT_EQ(Text("DTOS(LEER+5)"), "        ");
    EXPECT_EQ(Number("DATUM-LEER"), 0);
    EXPECT_EQ(Number("CTOD(\"28.08.08\")"), dateToJulian("19080828"));
    settings.datePicture = "DD.MM.CCYY";
    EXPECT_EQ(Text("DTOC(DATUM)"), "28.08.2008");
    EXPECT_EQ(Number("DATE()"), dateToJulian(dateToday().c_str()));
    EXPECT_EQ(Text("TIME()").size(), 8u);
}

TEST_F(ExprTest, AscendAndDescendSortLikeTheValue) {
    EXPECT_EQ(Text("ASCEND(DATUM)"), "20080828");
    EXPECT_EQ(Text("ASCEND(AKTIV)"), "1");
    EXPECT_EQ(Text("ASCEND(MENGE)"), ",,,,*");
    std::string abd = Text("DESCEND(\"ABD\")"), abc = Text("DESCEND(\"ABC\")");
    EXPECT_LT(collateCompare(abd.data(), abc.data(), 3), 0);
    EXPECT_GT(collateCompare(abc.data(), abd.data(), 3), 0);
}

TEST_F(ExprTest, FieldsOfOtherTablesAndMemos) {
    EXPECT_EQ(Text("PLZORT->PLZ"), "53111");
    EXPECT_EQ(Text("plzort -> PLZ + NAME"), "53111Meier     ");
    EXPECT_EQ(Text("ADRESSE->NAME"), "Meier     ");
    std::string memo = Text("NOTIZ");
    ASSERT_EQ(memo.size(), 1024u);
    EXPECT_EQ(memo.substr(0, 6), "Notiz ");
    EXPECT_EQ(ParseError("PLZORT->PLZ", true), -510);
    std::unique_ptr<CompiledExpr> e;
    EXPECT_EQ(exprParse(table, "ADRESSE->NAME", true, e), 0);
}

TEST_F(ExprTest, KeyForms) {
    auto n = Parse("PREIS");
    ASSERT_TRUE(n);
    EXPECT_EQ(n->type, 'N');
    EXPECT_EQ(exprKeyLen(*n), 12);
    const char* key = nullptr;
    ASSERT_EQ(exprKey(*n, &key), 12);
    char want[12];
    convBcdFromA("123.45", want);
    EXPECT_EQ(std::memcmp(key, want, 12), 0);

    auto nd = Parse("PREIS*1");
    ASSERT_EQ(exprKey(*nd, &key), 12);
    EXPECT_EQ(std::memcmp(key, want, 12), 0);

    auto d = Parse("DATUM");
    ASSERT_EQ(exprKey(*d, &key), 8);
    double day = 0;
    std::memcpy(&day, key, 8);
    EXPECT_EQ(day, 2454707.0);
    auto blank = Parse("LEER");
    ASSERT_EQ(exprKey(*blank, &key), 8);
    std::memcpy(&day, key, 8);
    EXPECT_EQ(day, 1.0E300);
    auto blankDay = Parse("LEER+1");
    ASSERT_EQ(exprKey(*blankDay, &key), 8);
    std::memcpy(&day, key, 8);
    EXPECT_EQ(day, 1.0E300);
    // The text-to-key conversion of a tag gives the same value.
    EXPECT_EQ(dateToDouble("        "), day);
}

TEST_F(ExprTest, TextLeftOverOrAMissingOperandIsRefused) {
    const struct {
        const char* text;
        int code;
    } cases[] = {
        {"1+2) garbage", -480}, {"1+2, more", -480}, {"NAME)", -480}, {"UPPER(NAME))", -480},
        {"+", -410}, {"-", -410}, {".", -410}, {"+ NAME", -490}, {"NAME = -", -410},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseError(c.text), c.code) << c.text;
    EXPECT_EQ(Number("-3"), -3);
    EXPECT_EQ(Number("+.5*4"), 2);
}

TEST_F(ExprTest, NestingIsLimitedNotOverflowingTheStack) {
    auto nested = [](const std::string& open, const std::string& inner, int depth) {
        std::string s;
        for (int i = 0; i < depth; ++i) s += open;
        return s + inner + std::string(size_t(depth), ')');
    };
    EXPECT_EQ(ParseError(nested("(", "1", 64)), 0);
    EXPECT_EQ(ParseError(nested("(", "1", 65)), -440);
    EXPECT_EQ(ParseError(nested("UPPER(", "NAME", 64)), 0);
    EXPECT_EQ(ParseError(nested("UPPER(", "NAME", 65)), -440);
    // A query of some 60 KB, as a user could paste it.
    EXPECT_EQ(ParseError(nested("(", "1", 30000)), -440);
    EXPECT_EQ(ParseError(nested("UPPER(", "NAME", 30000)), -440);
    EXPECT_EQ(ParseError(std::string(30000, '(')), -440);
}

TEST_F(ExprTest, ErrorCodes) {
    EXPECT_EQ(ParseError("UPPER(NAME ORT)"), -400);
    EXPECT_EQ(ParseError("1+"), -410);
    EXPECT_EQ(ParseError(""), -410);
    EXPECT_EQ(ParseError(".NOT."), -410);
    EXPECT_EQ(ParseError("XYZ->NAME"), -420);
    EXPECT_EQ(ParseError("IIF(AKTIV,\"ja\",\"nein\")"), -422);
    EXPECT_EQ(ParseError("SUBSTR(NAME,2)"), -425);
    EXPECT_EQ(ParseError("STR(PREIS,MENGE)"), -425);
    EXPECT_EQ(ParseError("STR(PREIS,5,1+1)"), -425);
    EXPECT_EQ(ParseError("LEFT(NAME,RECNO())"), -425);
    EXPECT_EQ(ParseError("UPPER()"), -430);
    EXPECT_EQ(ParseError("UPPER(NAME,ORT)"), -430);
    EXPECT_EQ(ParseError("STR(1,2,3,4)"), -430);
    EXPECT_EQ(ParseError("LEFT(NAME)"), -430);
    EXPECT_EQ(ParseError(std::string(10, '(') + "1" + std::string(10, ')')), 0);
    std::string deep;
    for (int i = 0; i < 20; ++i) deep += "\"A\"+(";
    deep += "\"A\"" + std::string(20, ')');
    EXPECT_EQ(ParseError(deep), -440);
    EXPECT_EQ(ParseError("(1+2"), -450);
    EXPECT_EQ(ParseError("UPPER(NAME"), -450);
    EXPECT_EQ(ParseError("(1,2)"), -450);
    EXPECT_EQ(ParseError("NAME+PREIS"), -460);
    EXPECT_EQ(ParseError("BILD"), -460);
    EXPECT_EQ(ParseError(".NOT. NAME"), -460);
    EXPECT_EQ(ParseError("UPPER(PREIS*2)"), -460);
    EXPECT_EQ(ParseError("FOO(1)"), -470);
    EXPECT_EQ(ParseError("1 ~ 2"), -480);
    EXPECT_EQ(ParseError("1 .XOR. 2"), -480);
    EXPECT_EQ(ParseError("NICHTDA"), -490);
    EXPECT_EQ(ParseError("FELDNAMELANG"), -490);
    EXPECT_EQ(ParseError("-NAME"), -490);
    EXPECT_EQ(ParseError("\"offen"), -500);
    EXPECT_EQ(ParseError("[offen"), -500);
    EXPECT_EQ(ParseError("PLZORT->PLZ = \"1\"", true), -510);
}

TEST_F(ExprTest, EntryPointsRefuseInErrorStateAndNonLogicals) {
    auto e = Parse("NAME");
    EXPECT_EQ(exprTrue(*e), -950);
    table.inError = true;
    const char* p = nullptr;
    EXPECT_EQ(exprVary(*e, &p), -1410);
    EXPECT_EQ(exprKey(*e, &p), -1410);
}

TEST_F(ExprTest, ExecuteEvaluatesOneSubtree) {
    auto e = Parse("(1+2)*(10-4)");
    ASSERT_TRUE(e);
    // Steps: 1 2 + 10 4 - *
    const char* p = nullptr;
    ASSERT_EQ(exprExecute(*e, 2, &p), 8);
    double v = 0;
    std::memcpy(&v, p, 8);
    EXPECT_EQ(v, 3);
    ASSERT_EQ(exprExecute(*e, 5, &p), 8);
    std::memcpy(&v, p, 8);
    EXPECT_EQ(v, 6);
    EXPECT_EQ(exprExecute(*e, 7, &p), -930);
}

TEST_F(ExprTest, RandomTextsGiveCodesNeverCrashes) {
    const std::vector<std::string> pieces = {
        "NAME", "ORT", "PREIS", "DATUM", "LEER", "AKTIV", "NOTIZ", "BILD", "PLZORT->PLZ", "X->Y",
        "(", ")", ",", "\"", "'", "[", "]", "+", "-", "*", "/", "^", "**", "=", "#", "<>", "<",
        ">", "<=", ">=", "$", ".AND.", ".OR.", ".NOT.", ".T.", ".F.", "1", "2.5", "-3", ".", "0",
        "1e300", "99999999999999999999", "STR(", "SUBSTR(", "LEFT(", "RIGHT(", "IIF(", "DTOC(",
        "DTOS(", "UPPER(", "TRIM(", "LTRIM(", "ALLTRIM(", "DESCEND(", "ASCEND(", "CHR(", "DEL(",
        "STOD(", "CTOD(", "DATE(", "TIME(", "DAY(", "VAL(", "RECNO(", "DELETED(", " ", "\x81",
        "\xff", "\t", "-1e308", "1/0"};
    std::mt19937 rng(2026);
    int parsed = 0;
    for (int k = 0; k < 40000; ++k) {
        std::string text;
        int n = 1 + int(rng() % 12);
        for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
        if (rng() % 4 == 0 && !text.empty()) text[rng() % text.size()] = char(rng() % 256);
        std::unique_ptr<CompiledExpr> e;
        int rc = exprParse(table, text, rng() % 2 == 0, e, settings);
        if (rc < 0) {
            ASSERT_TRUE(rc <= -400 && rc >= -510) << rc << " " << text;
            ASSERT_EQ(e, nullptr);
            continue;
        }
        ++parsed;
        const char* p = nullptr;
        int len = exprVary(*e, &p);
        ASSERT_EQ(len, e->type == 'n' || e->type == 'd' ? 8 : (e->type == 'L' ? 4 : e->length))
            << text;
        ASSERT_GE(exprKey(*e, &p), 0);
        exprDouble(*e);
        int t = exprTrue(*e);
        ASSERT_TRUE(e->type == 'L' ? (t == 0 || t == 1) : t == -950) << text;
        for (int s = 0; s < int(e->steps.size()); ++s) ASSERT_GE(exprExecute(*e, s, &p), 0);
    }
    EXPECT_GT(parsed, 500);
}

// A reference for arithmetic: every binary operator groups to the left.
struct Reference {
    std::vector<std::string> tokens;
    size_t pos = 0;
    static int Priority(const std::string& op) {
        if (op == "^") return 3;
        if (op == "*" || op == "/") return 2;
        return 1;
    }
    double Primary() {
        std::string t = tokens[pos++];
        if (t == "(") {
            double v = Expr(1);
            ++pos;  // ")"
            return v;
        }
        return ParseDouble(t);
    }
    double Expr(int minPriority) {
        double left = Primary();
        while (pos < tokens.size() && tokens[pos] != ")" && Priority(tokens[pos]) >= minPriority) {
            std::string op = tokens[pos++];
            double right = Expr(Priority(op) + 1);
            if (op == "+") left += right;
            else if (op == "-") left -= right;
            else if (op == "*") left *= right;
            else if (op == "/") left = right == 0 ? 0 : left / right;
            else left = std::pow(left, right);
        }
        return left;
    }
};

TEST_F(ExprTest, ArithmeticMatchesAReferenceEvaluator) {
    std::mt19937 rng(13);
    const char* ops[] = {"+", "-", "*", "/", "^"};
    for (int k = 0; k < 2000; ++k) {
        std::vector<std::string> tokens;
        int depth = 0;
        int terms = 1 + int(rng() % 6);
        for (int i = 0; i < terms; ++i) {
            if (rng() % 4 == 0) {
                tokens.push_back("(");
                ++depth;
            }
            tokens.push_back(Format("%u", unsigned(rng() % 4)));
            if (depth > 0 && rng() % 3 == 0) {
                tokens.push_back(")");
                --depth;
            }
            if (i + 1 < terms) tokens.push_back(ops[rng() % 5]);
        }
        for (; depth > 0; --depth) tokens.push_back(")");
        std::string text;
        for (const std::string& t : tokens) text += t + " ";
        Reference ref{tokens};
        double want = ref.Expr(1);
        double got = Number(text);
        if (std::isnan(want)) continue;
        ASSERT_TRUE(got == want || std::fabs(got - want) <= 1e-9 * std::fabs(want)) << text;
    }
}

TEST(BcdTest, KeysOfTheIndexFile) {
    char k[12];
    convBcdFromA("123.45", k);
    const unsigned char a[12] = {0x37, 0x15, 0x12, 0x34, 0x50, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(k, a, 12), 0);
    convBcdFromA("-2", k);
    const unsigned char b[12] = {0x35, 0x85, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(k, b, 12), 0);
    const unsigned char z[12] = {0x34, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    convBcdFromA("0", k);
    EXPECT_EQ(std::memcmp(k, z, 12), 0);
    convBcdFromA("-0", k);
    EXPECT_EQ(std::memcmp(k, z, 12), 0);
    char k2[12];
    convBcdFromA("1.5", k);
    convBcdFromA("  1.50", k2);
    EXPECT_EQ(std::memcmp(k, k2, 12), 0);
}

TEST(BcdTest, OrderFollowsTheNumbers) {
    std::vector<double> values = {-1e10, -123.45, -2, -1, -0.5, -0.001, 0, 0.001, 0.5, 1,
                                  1.5, 2, 10, 123.45, 1e10, 1e20};
    for (size_t i = 0; i + 1 < values.size(); ++i) {
        char a[12], b[12];
        BcdFromDouble(values[i], a);
        BcdFromDouble(values[i + 1], b);
        EXPECT_LT(bcdCompare(a, b), 0) << values[i] << " " << values[i + 1];
        EXPECT_GT(bcdCompare(b, a), 0);
        EXPECT_EQ(bcdCompare(a, a), 0);
    }
}

} // namespace
} // namespace vx
