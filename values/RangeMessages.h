// Gathering the range messages of a module's cells into one text.
#pragma once

#include <string>
#include <vector>

class CWerte;

// Adds a range message to the ones before it: a message ends with its own
// line break, so a break is added only after one that lacks it.
void AppendMessage(std::string& message, const std::string& part);
// Checks the cell's range and adds its message; failed becomes 1 on a failure.
void CheckCell(CWerte& cell, std::string& message, std::vector<int>* ids, int& failed);
