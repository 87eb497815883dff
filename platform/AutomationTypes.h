#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// The values that cross between a program that publishes automation objects and the
// programs that drive them: result codes in the 32-bit HRESULT style, object references and
// the tagged values of arguments and results.
namespace vantor {

using HRESULT = int32_t;

constexpr HRESULT HResult(uint32_t code) {
    return static_cast<HRESULT>(code);
}

constexpr HRESULT kS_OK = 0;
constexpr HRESULT kS_FALSE = 1;
constexpr HRESULT kE_NOTIMPL = HResult(0x80004001);
constexpr HRESULT kE_POINTER = HResult(0x80004003);
constexpr HRESULT kE_FAIL = HResult(0x80004005);
constexpr HRESULT kE_UNEXPECTED = HResult(0x8000FFFF);
constexpr HRESULT kE_ACCESSDENIED = HResult(0x80070005);
constexpr HRESULT kE_INVALIDARG = HResult(0x80070057);
constexpr HRESULT kDISP_E_MEMBERNOTFOUND = HResult(0x80020003);
constexpr HRESULT kDISP_E_TYPEMISMATCH = HResult(0x80020005);
constexpr HRESULT kDISP_E_BADPARAMCOUNT = HResult(0x8002000E);
// The publishing program refuses calls for now (a modal dialog is open).
constexpr HRESULT kRPC_E_CALL_REJECTED = HResult(0x80010001);
constexpr HRESULT kRPC_E_INVALID_DATAPACKET = HResult(0x80010009);
// The object was released by its program, which is still there.
constexpr HRESULT kRPC_E_DISCONNECTED = HResult(0x80010108);
// A proxy used on another thread than the one that fetched it.
constexpr HRESULT kRPC_E_WRONG_THREAD = HResult(0x8001010E);
constexpr HRESULT kRPC_E_VERSION_MISMATCH = HResult(0x80010110);
// No answer within the call timeout; the program may still be there.
constexpr HRESULT kRPC_E_TIMEOUT = HResult(0x8001011F);
// The program that held the object is gone.
constexpr HRESULT kRPC_S_SERVER_UNAVAILABLE = HResult(0x800706BA);
constexpr HRESULT kREGDB_E_CLASSNOTREG = HResult(0x80040154);
constexpr HRESULT kCO_E_SERVER_EXEC_FAILURE = HResult(0x80080005);

constexpr bool Failed(HRESULT hr) {
    return hr < 0;
}
constexpr bool Succeeded(HRESULT hr) {
    return hr >= 0;
}

// An object inside a publishing program: the program's instance (new at every start, so a
// reference never reaches the next run's objects) and the object's number there.
struct CObjectRef {
    uint32_t instance = 0;
    uint32_t id = 0;
    bool IsNull() const { return id == 0; }
    bool operator==(const CObjectRef&) const = default;
};

// The value of an argument or a result.
using CVariant = std::variant<std::monostate, bool, int32_t, double, std::string, CObjectRef>;
using CVariantList = std::vector<CVariant>;

// What an invocation does with the member: call it, read it or write it.
enum class InvokeKind : uint8_t { kMethod = 1, kGet = 2, kPut = 4 };

// Converts a result to the type the caller expects; false when it holds another type.
// Numbers convert between int32_t and double, as automation callers expect.
bool FromVariant(const CVariant& value, int32_t& out);
bool FromVariant(const CVariant& value, double& out);
bool FromVariant(const CVariant& value, bool& out);
bool FromVariant(const CVariant& value, std::string& out);
bool FromVariant(const CVariant& value, CObjectRef& out);

}  // namespace vantor
