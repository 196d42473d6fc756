// The plain-text list of places from which the sample table PLZORT is built:
// "[Land]" lines name the federal state of the lines below them, each place
// is "PLZ;Ort;Höhe"; "#" starts a comment line. UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct PlaceEntry {
    std::string plz, ort, land;  // code page 1252
    long height = 0;
};

// False with a German message naming the line when a line is malformed.
bool ReadPlaceList(std::string_view utf8, std::vector<PlaceEntry>& out, std::string& error);

// Builds PLZORT.DBF and PLZORT.MDX in dir from the list, replacing what is
// there only once the new table is complete. False with a message on failure.
bool BuildPlaceTable(const std::vector<PlaceEntry>& places, const std::string& dir, std::string& error);
