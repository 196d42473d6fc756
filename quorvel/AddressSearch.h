// The two passes of the address search and the lines of the address pick
// list. The dialogs give a sink that takes one entry and answers false when
// its list refuses any more.
#pragma once

#include "quorvel/QuorvelTables.h"

#include <functional>
#include <string>

using AddressSink = std::function<bool(const std::string& text, long recNo)>;

// Live records whose phonetic code lies in the range of the search text's
// code (each "0" of the code widened to "0".."9"), in tag SOUND order; adds NAME1.
// The table is left on tag PRIMARY.
void PhoneticPass(CAdressTab& table, const std::string& searchText, const AddressSink& add);
// Every live record whose record buffer contains the search text, letter case
// ignored; adds NAME1.
void SubstringPass(CAdressTab& table, const std::string& searchText, const AddressSink& add);

// One line of the pick list: match code, name and town in columns of 10, 25
// and 30 characters, the record number after the tabs.
std::string PickListLine(const std::string& match, const std::string& name1, const std::string& ort, long recNo);
// The match column of a record without a match code: the name after its
// first blank, lower-cased, without leading blanks.
std::string MatchFromName(const std::string& name1);
// Walks the table in the order of its selected tag and adds one line per
// live record; firstRecNo gets the first record's number (0 when empty).
void FillPickList(CAdressTab& table, const AddressSink& add, long* firstRecNo);
// The record number of a pick-list line: the number after its last tab.
long RecNoOfPickLine(const std::string& line);

// The current record holds no address: every column but the phonetic code
// (which an empty name leaves empty) is blank, the memos too.
bool IsBlankAddress(CAdressTab& table);
// Marks every live record that holds no address deleted, so that no list
// shows it; the number marked. A pack is left to the caller.
int MarkBlankAddresses(CAdressTab& table);
