// The per-case calculation records of the sections and the heat generator.
#pragma once

#include "model/CRechnen.h"

#include <memory>
#include <vector>

using CaseRecords = std::vector<std::unique_ptr<CRechnen>>;

// A record as a new one would be, taken from the spares when there is one:
// building a record's value cells costs more than the rest of a chain run.
inline std::unique_ptr<CRechnen> FreshCaseRecord(CaseRecords& spares, CGrunddaten* site) {
    static const CRechnen fresh;
    if (spares.empty()) return std::make_unique<CRechnen>(site);
    std::unique_ptr<CRechnen> r = std::move(spares.back());
    spares.pop_back();
    r->ResetTo(fresh);
    r->site = site;
    return r;
}

// A new case in both arrays, `first` served first from the spares.
inline void AddFreshCases(CaseRecords& first, CaseRecords& second, CaseRecords& spares, CGrunddaten* site) {
    first.push_back(FreshCaseRecord(spares, site));
    second.push_back(FreshCaseRecord(spares, site));
}

// Starts the cases anew with one fresh record; the old ones become spares.
inline void RestartCaseRecords(CaseRecords& cases, CaseRecords& spares, CGrunddaten* site) {
    for (auto& r : cases) spares.push_back(std::move(r));
    cases.clear();
    cases.push_back(FreshCaseRecord(spares, site));
}
