// The automation wire format: any bytes either decode to a message that encodes back to the
// same bytes, or are refused; nothing else may happen.
#include "platform/AutomationWire.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantor::automationwire;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CWireMessage message;
    if (Decode(input, message) != DecodeStatus::kOk) {
        return 0;
    }
    // Doubles may carry any NaN pattern: bytes, not values, are compared.
    const std::string encoded = Encode(message);
    if (encoded != input) {
        std::abort();
    }
    return 0;
}
