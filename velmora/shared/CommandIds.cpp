#include "velmora/shared/CommandIds.h"

std::set<int>& RoutedCommands() {
    static std::set<int> ids;
    return ids;
}
