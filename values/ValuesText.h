// String ids of the value and unit layer; the texts are in "resources/values".
#pragma once

enum ValuesString : unsigned {
    // A formula has no conversion into the target unit.
    IDS_UMRECHNUNGSFEHLER = 39,
};
