#include "model/DocValue.h"

namespace {
DocValueSource* g_Source = nullptr;
}

void SetDocValueSource(DocValueSource* source) { g_Source = source; }

int32_t GetDocValue(int code, int index) { return g_Source ? g_Source->GetDocValue(code, index) : -1; }
