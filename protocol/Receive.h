#pragma once

// The one receiving routine of the server's channels and of the clients.

#include <cstdint>
#include <memory>
#include <string>

#include "protocol/Message.h"
#include "protocol/MessageFactory.h"

namespace vantor {

struct CReceiveResult {
    // Never null.
    std::unique_ptr<CMessage> message;
    // True: `message` is the document read into its type's class, to be passed on.
    // False: the document named no type the catalogue creates; `message` is the
    // UnrecognizedRequest response (returnCode 10, the requestId the document carried, if
    // any) to send back on the same connection at once, and nothing else is done with the
    // document.
    bool recognized = false;
};

// Turns one received document (the bytes up to, not including, its terminating zero) into
// a message: checks the wire text (bytes that are not UTF-8 are used as received), removes
// processing instructions and comments, looks up the root name in the catalogue's table,
// creates the message and reads it. `clientId` is stamped on the result either way.
// Pure function: any thread, no blocking, no shared state.
CReceiveResult ReceiveDocument(std::string bytes, int32_t clientId,
                               const CMessageCatalogue& catalogue = ServerCatalogue());

// The first steps alone, for readers of other documents (update descriptions): wire text
// check, then processing instructions and comments removed.
void PrepareReceivedDocument(std::string& doc);

}  // namespace vantor
