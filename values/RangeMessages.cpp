#include "values/RangeMessages.h"

#include "values/CWerte.h"

void AppendMessage(std::string& message, const std::string& part) {
    if (part.empty()) return;
    if (!message.empty() && !message.ends_with("\r\n")) message += "\r\n";
    message += part;
}

void CheckCell(CWerte& cell, std::string& message, std::vector<int>* ids, int& failed) {
    std::string m;
    cell.CheckRange(m, ids, &failed);
    AppendMessage(message, m);
}
