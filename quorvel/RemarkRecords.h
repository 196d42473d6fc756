// The store of remark texts (BEMERKUN) as the remark dialogs use it.
#pragma once

#include <string>
#include <vector>

class CBemerkTab;

// One line of the store's list: the match code in 10 columns, a blank, the
// text, 30 blanks and the record number.
std::string RemarkLine(const std::string& match, const std::string& text, long recNo);
// The lines of every live record from the first to the last.
std::vector<std::string> RemarkLines(CBemerkTab& tab);
// Fills the current record: the match code unless it is null, then the text;
// flushes. 0 or the engine's code.
int WriteRemark(CBemerkTab& tab, const std::string* match, const std::string& text);
// Marks the record deleted; false when it is no live record.
bool DeleteRemark(CBemerkTab& tab, long recNo);
// Line breaks as the edit shows them ("\n") and as they are stored ("\r\n").
std::string ToEditBreaks(const std::string& text);
std::string ToStoredBreaks(const std::string& text);
