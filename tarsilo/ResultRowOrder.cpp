#include "tarsilo/ResultRowOrder.h"

#include "platform/CodePage.h"

#include <algorithm>

namespace {

std::string Left(const std::string& text, size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string Right(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

} // namespace

std::string ResultSortKey(const AssignmentRow& row, int sortMode) {
    const std::string& section = row.columns[AssignmentRow::Section];
    const std::string& maker = row.columns[AssignmentRow::Manufacturer];
    const std::string& type = row.columns[AssignmentRow::Type];
    const std::string& output = row.columns[AssignmentRow::Output];
    switch (sortMode) {
    case 0: return section + Left(maker, 50) + Left(type, 50) + Right(output, 13);
    case 1: return Left(maker, 50) + section + Left(type, 50) + Right(output, 13);
    case 2: return Left(maker, 50) + Left(type, 50) + section + Right(output, 13);
    case 3: return Right(output, 13) + section + Left(maker, 50) + Left(type, 50);
    default: return std::string();
    }
}

int CompareResultRows(const AssignmentRow& a, const AssignmentRow& b, int sortMode) {
    const std::string ka = vx::UpperCp1252(ResultSortKey(a, sortMode));
    const std::string kb = vx::UpperCp1252(ResultSortKey(b, sortMode));
    const int c = ka.compare(kb);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

void SortResultRows(std::deque<AssignmentRow>& rows, int sortMode) {
    for (size_t i = 0; i < rows.size(); ++i) rows[i].itemData = long(i);
    std::stable_sort(rows.begin(), rows.end(), [sortMode](const AssignmentRow& a, const AssignmentRow& b) {
        return CompareResultRows(a, b, sortMode) < 0;
    });
}
