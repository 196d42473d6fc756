#include "model/ModelText.h"

namespace {
ModelProgram g_Program = ModelProgram::Velmora;
}

void SetModelProgram(ModelProgram program) { g_Program = program; }
ModelProgram ActiveModelProgram() { return g_Program; }
