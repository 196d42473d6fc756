#include "quorvel/RemarkRecords.h"

#include "dbase/data/Table.h"
#include "platform/NumText.h"
#include "quorvel/ListLine.h"
#include "quorvel/PackWhenPossible.h"
#include "quorvel/QuorvelTables.h"

std::string RemarkLine(const std::string& match, const std::string& text, long recNo) {
    return vx::Format("%s %s%s%d", FitText(match, 10), text, std::string(30, ' '), recNo);
}

std::vector<std::string> RemarkLines(CBemerkTab& tab) {
    std::vector<std::string> lines;
    vx::TableHandle* t = tab.Handle();
    if (!t) return lines;
    for (int rc = GoFirstLive(t); rc == 0 && !vx::tableEof(t); rc = SkipLive(t, 1)) {
        const std::string match = tab.FeldText(tab.match);
        lines.push_back(RemarkLine(match, tab.FeldText(tab.bemerkung), vx::tableRecNo(t)));
    }
    return lines;
}

int WriteRemark(CBemerkTab& tab, const std::string* match, const std::string& text) {
    vx::TableHandle* t = tab.Handle();
    if (!t) return vx::e4parmNull;
    int rc = match ? tab.SetText(tab.match, *match) : 0;
    if (rc == 0) rc = tab.SetText(tab.bemerkung, text);
    const int flushed = vx::tableFlush(t);
    return rc != 0 ? rc : flushed;
}

bool DeleteRemark(CBemerkTab& tab, long recNo) {
    vx::TableHandle* t = tab.Handle();
    if (!t || recNo < 1 || recNo > vx::tableRecCount(t)) return false;
    if (vx::tableGo(t, recNo) != 0 || vx::tableDeleted(t)) return false;
    return vx::tableDelete(t) == 0 && vx::tableFlush(t) == 0;
}

std::string ToEditBreaks(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

std::string ToStoredBreaks(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}
