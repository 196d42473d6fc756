// The place table as its editor and its search see it: one record as four
// texts, its save (entered by hand), and the lines of the search list.
#pragma once

#include <string>
#include <vector>

class CPlzOrtTab;

struct PlaceTexts {
    std::string plz, ort, land, height;  // code page 1252; height as "%ld"
};

// The current record; all empty without one.
PlaceTexts ReadPlace(CPlzOrtTab& tab);
// Writes the texts into the current record (the height text as an integer,
// 0 when it holds none), marks it entered by hand and flushes. 0 or the
// engine's code.
int SavePlace(CPlzOrtTab& tab, const PlaceTexts& place);

// One line of the search list: the postcode in 10 columns and the town cut
// to 40 in 50, town first in town order, then the record number.
std::string PlaceLine(const std::string& plz, const std::string& ort, long recNo, bool byPostcode);
// The lines of every live place whose key begins with `first` (the town's
// first letter upper-cased, or the postcode's first character), in the
// order of the key; the postcode order stays selected afterwards.
std::vector<std::string> PlaceLines(CPlzOrtTab& tab, char first, bool byPostcode);
