#pragma once

// The toolkit's key values as the virtual-key codes the key bindings store.

#include <cstdint>

namespace vantor::desktop {

// The code for a GDK key value, or -1 for a key without one.
int32_t VirtualKeyFromKeyval(unsigned keyval);

}  // namespace vantor::desktop
