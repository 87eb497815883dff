#pragma once

// Names of key codes as the buttons page shows them. Key codes are the virtual-key codes
// the clients have always stored (0x0D Enter, 0x41 "A", 0x70 F1, 0xC1 the first hardware
// application button, 0x86 the direction pad's centre); the toolkit layer maps its own key
// values onto these codes.

#include <cstdint>
#include <string>

namespace vantor {
class CRegistry;
}

namespace vantor::client {

inline constexpr int32_t kKeyCenter = 0x86;
inline constexpr int32_t kFirstHardwareButton = 0xC1;
inline constexpr int32_t kLastHardwareButton = 0xC6;

// The key's name: the table's, the character for digits and letters, "Num %d", "F%d",
// "Button %d" for the hardware buttons (or the name the platform registers for them, when
// `platformNames` is given: value "Name" under "SOFTWARE\Microsoft\Shell\Keys\40<code>"),
// and "Button %X" for any other code from 0x01 to 0xFE. Codes outside that range are no
// keys at all and have no name ("").
std::string KeyName(int32_t keyCode, const CRegistry* platformNames = nullptr);

}  // namespace vantor::client
