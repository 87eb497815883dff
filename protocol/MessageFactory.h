#pragma once

// Creating empty message objects from type ids, for the server and for the clients.

#include <cstdint>
#include <memory>

#include "protocol/Message.h"
#include "protocol/MessageType.h"

namespace vantor {

// The server's factory: a default object of the type's class for every type the server
// accepts, null for Undefined, ids outside 1..136 and the types it never reads (90-103,
// 111, 113, 115, 117, 121, 123, 125, 132-135). The caller owns the result.
std::unique_ptr<CMessage> CreateMessage(int32_t typeId);

// The clients' factory, in the clients' numbering (no PlayPause, ids from 7 up two lower
// than the server's). It creates every type of that table except Undefined; the objects
// carry the client id and write themselves with the clients' table.
std::unique_ptr<CMessage> CreateClientMessage(int32_t clientTypeId);

// Every type of the server's table, readable by the server or not; null outside 1..136.
std::unique_ptr<CMessage> CreateAnyMessage(int32_t typeId);

// A type table with the factory that goes with it.
struct CMessageCatalogue {
    const msg::CTypeTable* types;
    std::unique_ptr<CMessage> (*create)(int32_t typeId);
};

const CMessageCatalogue& ServerCatalogue();
const CMessageCatalogue& ClientCatalogue();

}  // namespace vantor
