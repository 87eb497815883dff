#pragma once

#include <string>

namespace vantor {

// Identifies this machine to the update service. Any thread.

// The root file system's identifier as an unsigned decimal; "0" when it cannot be read.
std::string GetVolumeSerial();

// The hardware address of the first non-loopback network interface: 12 upper-case hex
// digits without separators; "" when there is none.
std::string GetAdapterAddress();

}  // namespace vantor
