#include "quorvel/PlaceRecords.h"

#include "dbase/data/Field.h"
#include "dbase/data/Table.h"
#include "platform/NumText.h"
#include "quorvel/ListLine.h"
#include "quorvel/QuorvelTables.h"

namespace {

bool OnRecord(vx::TableHandle* t) {
    const long rec = vx::tableRecNo(t);
    return rec >= 1 && rec <= vx::tableRecCount(t) && !vx::tableEof(t);
}

// atol: blanks, a sign and the digits that follow; 0 without any.
long LeadingInteger(const std::string& text) {
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) return 0;
    bool negative = false;
    if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
    long n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && n < 100000000; ++i) n = n * 10 + (text[i] - '0');
    return negative ? -n : n;
}

} // namespace

PlaceTexts ReadPlace(CPlzOrtTab& tab) {
    PlaceTexts p;
    vx::TableHandle* t = tab.Handle();
    if (!t || !OnRecord(t)) return p;
    p.plz = tab.FeldText(tab.plz);
    p.ort = tab.FeldText(tab.ort);
    p.land = tab.FeldText(tab.land);
    p.height = vx::Format("%ld", long(tab.geoh));
    return p;
}

int SavePlace(CPlzOrtTab& tab, const PlaceTexts& place) {
    vx::TableHandle* t = tab.Handle();
    if (!t) return vx::e4parmNull;
    int rc = tab.SetText(tab.plz, place.plz);
    if (rc == 0) rc = tab.SetText(tab.ort, place.ort);
    if (rc == 0) rc = tab.SetGeoHoehe(LeadingInteger(place.height));
    if (rc == 0) rc = tab.SetText(tab.land, place.land);
    if (rc == 0) rc = tab.SetText(tab.hand, "T");
    const int flushed = vx::tableFlush(t);
    return rc != 0 ? rc : flushed;
}

std::string PlaceLine(const std::string& plz, const std::string& ort, long recNo, bool byPostcode) {
    const std::string postcode = FitText(plz, 10);
    const std::string town = FitText(ort, 40, 50);
    const std::string& first = byPostcode ? postcode : town;
    const std::string& second = byPostcode ? town : postcode;
    return vx::Format("%s %s                             %ld", first, second, recNo);
}

std::vector<std::string> PlaceLines(CPlzOrtTab& tab, char first, bool byPostcode) {
    std::vector<std::string> lines;
    vx::TableHandle* t = tab.Handle();
    if (!t) return lines;
    vx::tableTagSelect(t, byPostcode ? tab.plzTag.tag() : tab.keyOrt.tag());
    const char key[2] = {first, 0};
    if (vx::tableSeekN(t, key, 1) == 0) {
        do {
            if (vx::tableDeleted(t)) continue;
            // FeldText gives one buffer: copy before the next call.
            const std::string plz = tab.FeldText(tab.plz);
            lines.push_back(PlaceLine(plz, tab.FeldText(tab.ort), vx::tableRecNo(t), byPostcode));
        } while (vx::tableSeekNextN(t, key, 1) == 0);
    }
    vx::tableTagSelect(t, tab.plzTag.tag());
    return lines;
}
