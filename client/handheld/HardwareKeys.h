#pragma once

// The phone's hardware keys as the key codes that bindings store. A phone has no
// application buttons of its own, so the keys it does report stand in for them:
//
//   volume up 0xC1, volume down 0xC2, play/pause (a headset's button) 0xC3,
//   next track 0xC4, previous track 0xC5, stop 0xC6;
//   the direction pad's centre (Select, the keypad's 5 without Num Lock) 0x86 "Center".
//
// Every other key keeps the desktop's code. The names the buttons page shows for 0xC1 to
// 0xC6 are registered where the handheld platform keeps them (value "Name" under
// "SOFTWARE\Microsoft\Shell\Keys\40<code>"), unless a name is already there.

#include <cstdint>

namespace vantor {
class CRegistry;
}

namespace vantor::handheld {

// The key code of a toolkit key value on the handheld (-1: none).
int32_t HandheldKeyCode(unsigned keyval);

// Writes the names of the keys above where none is registered. False when the registry
// can't be written.
bool RegisterButtonNames(CRegistry& registry);

}  // namespace vantor::handheld
