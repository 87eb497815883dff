#pragma once

#include "platform/AutomationTypes.h"

#include <cstdint>
#include <string>
#include <string_view>

// The messages between automation clients and the program that publishes the objects. Each
// message travels as one frame of the window wire (32-bit little-endian length, payload); the
// payload starts with the format version, the kind and the caller's sequence number:
//
//   u8 version (1) | u8 kind | u32 sequence | body
//   kCreate: string progId                        -> kReturn with the root object
//   kInvoke: ref object | u8 invoke kind | string member | u8 count | values
//   kAdvise: ref object                           -> kReturn with the cookie (i32)
//   kReturn: u32 hresult | value
//   kEvent:  ref source | u32 dispatch id | u8 count | values
//
// A value is a tag byte and its data: 0 empty, 1 bool (u8), 2 int32, 3 double (IEEE,
// 8 bytes), 4 string (u32 length, bytes), 5 object reference (u32 instance, u32 id).
// Numbers are little-endian. The kind, tags and counts are checked: anything else, trailing
// bytes included, makes the message malformed.
namespace vantor::automationwire {

constexpr uint8_t kVersion = 1;
constexpr size_t kMaxArguments = 16;

enum Kind : uint8_t {
    kCreate = 1,
    kInvoke = 2,
    kAdvise = 3,
    kReturn = 4,
    kEvent = 5,
};

struct CWireMessage {
    uint8_t kind = 0;
    uint32_t sequence = 0;
    std::string name;  // progId of kCreate, member of kInvoke
    CObjectRef object;
    InvokeKind invokeKind = InvokeKind::kMethod;
    HRESULT result = kS_OK;
    uint32_t dispatchId = 0;
    CVariantList values;  // arguments; the one result value of kReturn
};

enum class DecodeStatus { kOk, kMalformed, kWrongVersion };

std::string Encode(const CWireMessage& message);
// kWrongVersion still fills `message.sequence` when the header is there, so the receiver
// can answer the caller.
DecodeStatus Decode(std::string_view payload, CWireMessage& message);

// The socket file of a published class in the windows folder.
std::string EndpointPath(const std::string& directory, const std::string& progId);

}  // namespace vantor::automationwire
