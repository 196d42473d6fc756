// The input fields' own texts, alike in every program that links the fields:
// resources/quorvel/fields_common.txt, read on first use. The texts whose ids
// differ per program (the prompt strip's) stay in the program's table; see
// FieldsDeliverable.
#pragma once

#include <string>

namespace fields {

// What a numeric field takes, said when a key is refused; then what an emptied number field lacks.
enum FieldText : unsigned {
    IDS_FIELD_TAKES_SIGNED = 1, IDS_FIELD_TAKES_DIGITS = 2, IDS_FIELD_TAKES_SIGNED_DECIMAL = 3,
    IDS_FIELD_TAKES_DECIMAL = 4, IDS_FIELD_NUMBER_EXPECTED = 5,
};
std::string FieldString(unsigned id);

} // namespace fields
