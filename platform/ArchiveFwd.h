// The archive class by name only, for headers whose members take one: a
// change to the archive then rebuilds only the code that reads or writes it.
#pragma once

namespace vx {
class Archive;
}
