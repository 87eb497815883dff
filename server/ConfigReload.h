#pragma once

#include <string>

namespace vantor {

class CConfigStore;

// Reads "QRM.config" again into the running store, without writing it: every key=value
// line updates its entry, and a "PlayerType" line that was removed from the file is removed
// from the store. Main thread. False when the file cannot be read (nothing changes then).
bool ReloadConfig(CConfigStore& config);

}  // namespace vantor
