#include "quorvel/AddressSearch.h"

#include "dbase/data/Field.h"
#include "dbase/index/IndexFile.h"
#include "dbase/index/TableTag.h"
#include "platform/CodePage.h"
#include "platform/NumText.h"
#include "quorvel/PackWhenPossible.h"
#include "quorvel/Soundex.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

using namespace vx;

namespace {

std::string Column(std::string text, size_t width) {
    text.resize(width, ' ');
    return text;
}

} // namespace

void PhoneticPass(CAdressTab& table, const std::string& searchText, const AddressSink& add) {
    TableHandle* t = table.Handle();
    if (!t) return;
    const std::string lower = SoundexCode(searchText);
    std::string upper = lower;
    std::replace(upper.begin(), upper.end(), '0', '9');
    TagHandle* sound = table.sound.tag();
    if (!sound) return;
    tableTagSelect(t, sound);
    // From the lower bound on in tag order, while the key is within the upper
    // bound, compared as the tag compares its keys.
    const size_t width = table.name1Soun.len();
    std::string high = upper;
    high.resize(width, ' ');
    int rc = tableSeekN(t, lower.data(), int(lower.size()));
    if (rc == 0 || rc == r4after) {
        while (!tableEof(t)) {
            const char* key = table.name1Soun.ptr();
            const int order = key ? sound->tagFile->Compare(key, high.data(), width) : 1;
            if (order > 0 || (lower == upper && order != 0)) break;
            // Records deleted but not yet packed away stay out of every list.
            if (!tableDeleted(t) && !add(table.FeldText(table.name1), tableRecNo(t))) break;
            if (tableSkip(t, 1) != 0) break;
        }
    }
    tableTagSelect(t, table.primary.tag());
}

void SubstringPass(CAdressTab& table, const std::string& searchText, const AddressSink& add) {
    TableHandle* t = table.Handle();
    if (!t) return;
    const std::string needle = UpperCp1252(searchText);
    const long count = tableRecCount(t);
    for (long n = 1; n <= count; ++n) {
        if (tableGo(t, n) != 0) break;
        if (tableDeleted(t)) continue;
        const std::string record = UpperCp1252(std::string_view(tableRecord(t), t->file->recLen));
        if (record.find(needle) == std::string::npos) continue;
        if (!add(table.FeldText(table.name1), n)) break;
    }
}

std::string MatchFromName(const std::string& name1) {
    std::string text = name1;
    const size_t blank = text.find(' ');
    if (blank != std::string::npos) text.erase(0, blank + 1);
    text = LowerCp1252(text);
    // Blanks are trimmed one by one: taking them two at a time ate a letter.
    const size_t start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : text.substr(start);
}

std::string PickListLine(const std::string& match, const std::string& name1, const std::string& ort, long recNo) {
    return Format("%s %s %s\t\t\t\t\t\t\t\t%ld", Column(match, 10), Column(name1, 25), Column(ort, 30), recNo);
}

void FillPickList(CAdressTab& table, const AddressSink& add, long* firstRecNo) {
    if (firstRecNo) *firstRecNo = 0;
    TableHandle* t = table.Handle();
    if (!t) return;
    bool first = true;
    for (int rc = GoFirstLive(t); rc == 0 && !tableEof(t); rc = SkipLive(t, 1)) {
        const long recNo = tableRecNo(t);
        if (first && firstRecNo) *firstRecNo = recNo;
        first = false;
        std::string match = table.FeldText(table.match);
        std::string name1 = table.FeldText(table.name1);
        if (match.empty()) match = MatchFromName(name1);
        std::string ort = table.FeldText(table.ort);
        if (!add(PickListLine(match, name1, ort, recNo), recNo)) break;
    }
}

long RecNoOfPickLine(const std::string& line) {
    const size_t tab = line.rfind('\t');
    return long(ParseLong(tab == std::string::npos ? line : line.substr(tab + 1)));
}

bool IsBlankAddress(CAdressTab& table) {
    for (const FieldView* col : std::initializer_list<const FieldView*>{
             &table.match, &table.name1, &table.name2, &table.strasse, &table.plz, &table.ort, &table.land,
             &table.telefon, &table.telefax, &table.ansprech, &table.bemerkung, &table.email, &table.url,
             &table.dummy, &table.handy})
        if (!table.FeldText(*col).empty()) return false;
    return true;
}

int MarkBlankAddresses(CAdressTab& table) {
    TableHandle* t = table.Handle();
    if (!t) return 0;
    int marked = 0;
    const long count = tableRecCount(t);
    for (long n = 1; n <= count; ++n) {
        if (tableGo(t, n) != 0) break;
        if (tableDeleted(t) || !IsBlankAddress(table)) continue;
        if (tableDelete(t) == 0) ++marked;
    }
    if (marked > 0) tableFlush(t);
    tableGoBof(t);
    return marked;
}
