#include "platform/AutomationWire.h"

#include "platform/WindowWire.h"

#include <bit>
#include <cstring>

namespace vantor {

bool FromVariant(const CVariant& value, int32_t& out) {
    if (const auto* i = std::get_if<int32_t>(&value)) {
        out = *i;
        return true;
    }
    if (const auto* d = std::get_if<double>(&value)) {
        if (*d >= -2147483648.0 && *d <= 2147483647.0) {
            out = static_cast<int32_t>(*d);
            return true;
        }
    }
    return false;
}

bool FromVariant(const CVariant& value, double& out) {
    if (const auto* d = std::get_if<double>(&value)) {
        out = *d;
        return true;
    }
    if (const auto* i = std::get_if<int32_t>(&value)) {
        out = *i;
        return true;
    }
    return false;
}

bool FromVariant(const CVariant& value, bool& out) {
    if (const auto* b = std::get_if<bool>(&value)) {
        out = *b;
        return true;
    }
    return false;
}

bool FromVariant(const CVariant& value, std::string& out) {
    if (const auto* s = std::get_if<std::string>(&value)) {
        out = *s;
        return true;
    }
    return false;
}

bool FromVariant(const CVariant& value, CObjectRef& out) {
    if (const auto* r = std::get_if<CObjectRef>(&value)) {
        out = *r;
        return true;
    }
    return false;
}

namespace automationwire {

namespace {

enum Tag : uint8_t {
    kTagEmpty = 0,
    kTagBool = 1,
    kTagInt = 2,
    kTagDouble = 3,
    kTagString = 4,
    kTagObject = 5
};

class CEncoder {
public:
    void U8(uint8_t v) { m_out += static_cast<char>(v); }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
    }
    void U64(uint64_t v) {
        for (int i = 0; i < 8; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
    }
    void String(std::string_view s) {
        U32(static_cast<uint32_t>(s.size()));
        m_out += s;
    }
    void Ref(const CObjectRef& ref) {
        U32(ref.instance);
        U32(ref.id);
    }
    void Value(const CVariant& value) {
        switch (value.index()) {
            case 1:
                U8(kTagBool);
                U8(std::get<bool>(value) ? 1 : 0);
                break;
            case 2:
                U8(kTagInt);
                U32(static_cast<uint32_t>(std::get<int32_t>(value)));
                break;
            case 3:
                U8(kTagDouble);
                U64(std::bit_cast<uint64_t>(std::get<double>(value)));
                break;
            case 4:
                U8(kTagString);
                String(std::get<std::string>(value));
                break;
            case 5:
                U8(kTagObject);
                Ref(std::get<CObjectRef>(value));
                break;
            default:
                U8(kTagEmpty);
                break;
        }
    }
    void Values(const CVariantList& values) {
        U8(static_cast<uint8_t>(values.size()));
        for (const CVariant& value : values) Value(value);
    }
    std::string Take() { return std::move(m_out); }

private:
    std::string m_out;
};

class CDecoder {
public:
    explicit CDecoder(std::string_view in) : m_in(in) {}
    bool U8(uint8_t& v) { return Take(&v, 1); }
    bool U32(uint32_t& v) {
        unsigned char b[4];
        if (!Take(b, 4)) return false;
        v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
        return true;
    }
    bool U64(uint64_t& v) {
        unsigned char b[8];
        if (!Take(b, 8)) return false;
        v = 0;
        for (int i = 7; i >= 0; --i) v = (v << 8) | b[i];
        return true;
    }
    bool String(std::string& s) {
        uint32_t size = 0;
        if (!U32(size) || size > m_in.size() - m_pos) return false;
        s.assign(m_in.substr(m_pos, size));
        m_pos += size;
        return true;
    }
    bool Ref(CObjectRef& ref) { return U32(ref.instance) && U32(ref.id); }
    bool Value(CVariant& value) {
        uint8_t tag = 0;
        if (!U8(tag)) return false;
        switch (tag) {
            case kTagEmpty:
                value = std::monostate{};
                return true;
            case kTagBool: {
                uint8_t b = 0;
                if (!U8(b) || b > 1) return false;
                value = b == 1;
                return true;
            }
            case kTagInt: {
                uint32_t i = 0;
                if (!U32(i)) return false;
                value = static_cast<int32_t>(i);
                return true;
            }
            case kTagDouble: {
                uint64_t d = 0;
                if (!U64(d)) return false;
                value = std::bit_cast<double>(d);
                return true;
            }
            case kTagString: {
                std::string s;
                if (!String(s)) return false;
                value = std::move(s);
                return true;
            }
            case kTagObject: {
                CObjectRef ref;
                if (!Ref(ref)) return false;
                value = ref;
                return true;
            }
            default:
                return false;
        }
    }
    bool Values(CVariantList& values) {
        uint8_t count = 0;
        if (!U8(count) || count > kMaxArguments) return false;
        values.resize(count);
        for (CVariant& value : values) {
            if (!Value(value)) return false;
        }
        return true;
    }
    bool AtEnd() const { return m_pos == m_in.size(); }

private:
    bool Take(void* out, size_t size) {
        if (m_in.size() - m_pos < size) return false;
        std::memcpy(out, m_in.data() + m_pos, size);
        m_pos += size;
        return true;
    }

    std::string_view m_in;
    size_t m_pos = 0;
};

}  // namespace

std::string Encode(const CWireMessage& message) {
    CEncoder out;
    out.U8(kVersion);
    out.U8(message.kind);
    out.U32(message.sequence);
    switch (message.kind) {
        case kCreate:
            out.String(message.name);
            break;
        case kInvoke:
            out.Ref(message.object);
            out.U8(static_cast<uint8_t>(message.invokeKind));
            out.String(message.name);
            out.Values(message.values);
            break;
        case kAdvise:
            out.Ref(message.object);
            break;
        case kReturn:
            out.U32(static_cast<uint32_t>(message.result));
            out.Value(message.values.empty() ? CVariant{} : message.values.front());
            break;
        case kEvent:
            out.Ref(message.object);
            out.U32(message.dispatchId);
            out.Values(message.values);
            break;
        default:
            break;
    }
    return out.Take();
}

DecodeStatus Decode(std::string_view payload, CWireMessage& message) {
    CDecoder in(payload);
    uint8_t version = 0;
    if (!in.U8(version) || !in.U8(message.kind) || !in.U32(message.sequence)) {
        return DecodeStatus::kMalformed;
    }
    if (version != kVersion) {
        return DecodeStatus::kWrongVersion;
    }
    message.values.clear();
    bool ok = false;
    switch (message.kind) {
        case kCreate:
            ok = in.String(message.name);
            break;
        case kInvoke: {
            uint8_t invokeKind = 0;
            ok = in.Ref(message.object) && in.U8(invokeKind) &&
                 (invokeKind == 1 || invokeKind == 2 || invokeKind == 4) &&
                 in.String(message.name) && in.Values(message.values);
            message.invokeKind = static_cast<InvokeKind>(invokeKind);
            break;
        }
        case kAdvise:
            ok = in.Ref(message.object);
            break;
        case kReturn: {
            uint32_t result = 0;
            message.values.resize(1);
            ok = in.U32(result) && in.Value(message.values.front());
            message.result = static_cast<HRESULT>(result);
            break;
        }
        case kEvent:
            ok = in.Ref(message.object) && in.U32(message.dispatchId) && in.Values(message.values);
            break;
        default:
            break;
    }
    return ok && in.AtEnd() ? DecodeStatus::kOk : DecodeStatus::kMalformed;
}

std::string EndpointPath(const std::string& directory, const std::string& progId) {
    // The class name becomes part of a file name: keep it to a harmless alphabet. The "com."
    // prefix keeps it apart from published windows in the same folder.
    std::string name = "com.";
    for (char c : progId) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        name += plain ? c : '_';
    }
    return (directory.empty() ? windowwire::WindowsDirectory() : directory) + "/" + name;
}

}  // namespace automationwire
}  // namespace vantor
