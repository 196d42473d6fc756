#include "velmora/CommandIds.h"

std::set<int>& RoutedCommands() {
    static std::set<int> ids;
    return ids;
}
