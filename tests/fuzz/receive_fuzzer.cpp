// Feeds arbitrary bytes to the receiving routine of both sides, then writes and re-reads
// whatever came out, as a server answering a hostile client would.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "protocol/Receive.h"
#include "protocol/Xml.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void ReceiveAndEcho(const std::string& bytes, const vantor::CMessageCatalogue& catalogue) {
    vantor::CReceiveResult result = vantor::ReceiveDocument(bytes, 1, catalogue);
    Check(result.message != nullptr);
    std::string doc = result.message->ToXml();
    Check(vantor::ToWireText(doc));
    // What we send is always well-formed UTF-8, and reads back into a message.
    std::string check = doc;
    Check(vantor::FromWireText(check) && check == doc);
    vantor::CReceiveResult again = vantor::ReceiveDocument(doc, 1, catalogue);
    // Whatever we write names a type we read, the unrecognized answer included.
    Check(again.recognized);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReceiveAndEcho(bytes, vantor::ServerCatalogue());
    ReceiveAndEcho(bytes, vantor::ClientCatalogue());
    return 0;
}
