// The module kinds that calculation files and callers create by class name.
#pragma once

// Registers every module kind of the model with the factory; CreateModule
// calls it before its first look-up.
void RegisterModelModuleKinds();
