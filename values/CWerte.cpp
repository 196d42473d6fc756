#include "values/CWerte.h"

#include "platform/Archive.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/Profile.h"

#include <algorithm>

namespace {

int g_UndoSize = -1;     // -1: not read yet
int g_HistoryCursor = -1;

} // namespace

int CWerte::UndoSize() {
    if (g_UndoSize < 0) {
        double n = vx::ParseDouble(vx::Profile().GetString("Global", "UndoSize", "0"));
        // Truncated; a negative size means no history. Every cell holds a ring of
        // this size, so a size beyond 32767 is cut to that rather than exhaust memory.
        g_UndoSize = n >= 1 ? int(std::min(n, 32767.0)) : 0;
    }
    return g_UndoSize;
}

void CWerte::ForgetUndoSize() { g_UndoSize = -1; }

CWerte::CWerte() : ringSize_(UndoSize()) {}

CWerte::CWerte(const CWerte& other) : ringSize_(UndoSize()) { CWerte::operator=(other); }

CWerte& CWerte::operator=(const CWerte& other) {
    if (this == &other) return *this;
    AssignWithoutHistory(other);
    const int n = std::min(ringSize_, other.ringSize_);
    if (other.ring_.empty()) {
        for (int i = 0; i < n && !ring_.empty(); ++i) ring_[size_t(i)].text.clear();
    } else {
        if (ring_.empty()) ring_.resize(size_t(ringSize_));
        for (int i = 0; i < n; ++i) ring_[size_t(i)].text = other.ring_[size_t(i)].text;
    }
    return *this;
}

const std::string& CWerte::Entry(int i) const {
    static const std::string empty;
    return ring_.empty() ? empty : ring_[size_t(i)].text;
}

void CWerte::Init(uint16_t valueId_, uint16_t helpId_, uint16_t promptId_, uint16_t actionFlags_,
                  uint16_t inputKind_, uint16_t displayUnit_, uint16_t internalUnit_, uint16_t unitLabelControl_,
                  uint16_t marker_, uint16_t rangeMessageId_, double minimum_, double maximum_,
                  bool checkWhenEqual_) {
    valueId = valueId_;
    helpId = helpId_;
    promptId = promptId_;
    actionFlags = actionFlags_;
    inputKind = inputKind_;
    displayUnit = displayUnit_;
    internalUnit = internalUnit_;
    unitLabelControl = unitLabelControl_;
    marker = marker_;
    rangeMessageId = rangeMessageId_;
    minimum = minimum_;
    maximum = maximum_;
    checkWhenEqual = checkWhenEqual_;
}

void CWerte::Serialize(vx::Archive& ar) { SerializeCommon(ar); }

void CWerte::SerializeCommon(vx::Archive& ar) {
    if (ar.IsStoring()) {
        ar << marker << displayUnit << archiveWord;
    } else {
        ar >> marker >> displayUnit >> archiveWord;
    }
}

void CWerte::DropHistory() {
    std::vector<CUndoBuffer>().swap(ring_);
    ringSize_ = 0;
    undoIndex_ = -1;
}

void CWerte::PushUndo(const std::string& text) {
    const int n = ringSize_;
    if (n <= 0 || Entry(n - 1) == text) return;
    if (ring_.empty()) ring_.resize(size_t(n));
    for (int i = 0; i < n - 1; ++i) ring_[i].text = std::move(ring_[i + 1].text);
    ring_[n - 1].text = text;
    undoIndex_ = n - 1;
}

bool CWerte::CanUndo() const { return ringSize_ > 0 && undoIndex_ >= 0; }

bool CWerte::Undo(std::string& out) {
    if (undoIndex_ < 0) {
        vx::MessageBeep(0xFFFFFFFF);
        return false;
    }
    out = Entry(undoIndex_);
    --undoIndex_;
    return true;
}

bool CWerte::GetHistoryEntry(std::string& out, bool restart) {
    if (restart) g_HistoryCursor = ringSize_ - 1;
    // Another cell may have a ring of another size since the last restart.
    if (g_HistoryCursor < 0 || g_HistoryCursor >= ringSize_) {
        out.clear();
        return false;
    }
    out = Entry(g_HistoryCursor);
    --g_HistoryCursor;
    return true;
}

void CWerte::SaveUndoBeforeEdit() {
    if (!undoPending) return;
    std::string old;
    GetText(old, false);
    PushUndo(old);
    undoPending = false;
}
