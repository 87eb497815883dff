#include "server/player/mpris/DBusValue.h"

#include <cerrno>
#include <cstring>

namespace vantor {

namespace {

constexpr int kMaxDepth = 4;
constexpr size_t kMaxListEntries = 100000;

int ReadDict(sd_bus_message* m, BusDict& dict, int depth);

// Integers of every width end up as one 64-bit value (unsigned 64-bit ones wrap, which no
// player property comes near).
template <typename T>
int ReadInteger(sd_bus_message* m, char type, CBusValue& value) {
    T n = 0;
    const int r = sd_bus_message_read_basic(m, type, &n);
    value.kind = CBusValue::kInteger;
    value.integer = static_cast<int64_t>(n);
    return r;
}

int ReadBasic(sd_bus_message* m, char type, CBusValue& value) {
    int r = 0;
    switch (type) {
        case SD_BUS_TYPE_STRING:
        case SD_BUS_TYPE_OBJECT_PATH:
        case SD_BUS_TYPE_SIGNATURE: {
            const char* text = nullptr;
            r = sd_bus_message_read_basic(m, type, &text);
            value.kind = CBusValue::kText;
            value.text = text ? text : "";
            return r;
        }
        case SD_BUS_TYPE_BOOLEAN: {
            int flag = 0;
            r = sd_bus_message_read_basic(m, type, &flag);
            value.kind = CBusValue::kFlag;
            value.flag = flag != 0;
            return r;
        }
        case SD_BUS_TYPE_DOUBLE:
            value.kind = CBusValue::kReal;
            return sd_bus_message_read_basic(m, type, &value.real);
        case SD_BUS_TYPE_INT64:
        case SD_BUS_TYPE_UINT64:
            return ReadInteger<uint64_t>(m, type, value);
        case SD_BUS_TYPE_INT32:
            return ReadInteger<int32_t>(m, type, value);
        case SD_BUS_TYPE_UINT32:
            return ReadInteger<uint32_t>(m, type, value);
        case SD_BUS_TYPE_INT16:
            return ReadInteger<int16_t>(m, type, value);
        case SD_BUS_TYPE_UINT16:
            return ReadInteger<uint16_t>(m, type, value);
        case SD_BUS_TYPE_BYTE:
            return ReadInteger<uint8_t>(m, type, value);
        default:
            return -EINVAL;
    }
}

int ReadTexts(sd_bus_message* m, const char* element, CBusValue& value) {
    int r = sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, element);
    if (r < 0) return r;
    value.kind = CBusValue::kTexts;
    const char* text = nullptr;
    while ((r = sd_bus_message_read_basic(m, element[0], &text)) > 0) {
        if (value.texts.size() < kMaxListEntries) value.texts.emplace_back(text ? text : "");
    }
    if (r < 0) return r;
    return sd_bus_message_exit_container(m);
}

int ReadVariant(sd_bus_message* m, CBusValue& value, int depth) {
    char type = 0;
    const char* contents = nullptr;
    int r = sd_bus_message_peek_type(m, &type, &contents);
    if (r <= 0) return r < 0 ? r : -EBADMSG;
    if (type != SD_BUS_TYPE_VARIANT || !contents) return -EBADMSG;
    const std::string signature = contents;
    r = sd_bus_message_enter_container(m, SD_BUS_TYPE_VARIANT, signature.c_str());
    if (r < 0) return r;
    value = CBusValue();
    if (signature.size() == 1 && std::strchr("sogbdxtiunqy", signature[0])) {
        r = ReadBasic(m, signature[0], value);
    } else if (signature == "as" || signature == "ao") {
        r = ReadTexts(m, signature.c_str() + 1, value);
    } else if (signature == "a{sv}" && depth < kMaxDepth) {
        value.kind = CBusValue::kDict;
        r = ReadDict(m, value.entries, depth + 1);
    } else {
        r = sd_bus_message_skip(m, signature.c_str());
    }
    if (r < 0) return r;
    return sd_bus_message_exit_container(m);
}

int ReadDict(sd_bus_message* m, BusDict& dict, int depth) {
    int r = sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "{sv}");
    if (r < 0) return r;
    while ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_DICT_ENTRY, "sv")) > 0) {
        const char* key = nullptr;
        r = sd_bus_message_read_basic(m, SD_BUS_TYPE_STRING, &key);
        if (r < 0) return r;
        CBusValue value;
        r = ReadVariant(m, value, depth);
        if (r < 0) return r;
        if (dict.size() < kMaxListEntries) dict.emplace_back(key ? key : "", std::move(value));
        r = sd_bus_message_exit_container(m);
        if (r < 0) return r;
    }
    if (r < 0) return r;
    return sd_bus_message_exit_container(m);
}

}  // namespace

const CBusValue* CBusValue::Find(const std::string& key) const {
    for (const auto& [name, value] : entries) {
        if (name == key) return &value;
    }
    return nullptr;
}

std::string CBusValue::FirstText() const {
    if (kind == kText) return text;
    if (kind == kTexts && !texts.empty()) return texts.front();
    return "";
}

int64_t CBusValue::AsInteger(int64_t def) const {
    if (kind == kInteger) return integer;
    if (kind == kReal) return static_cast<int64_t>(real);
    return def;
}

double CBusValue::AsReal(double def) const {
    if (kind == kReal) return real;
    if (kind == kInteger) return static_cast<double>(integer);
    return def;
}

int ReadBusVariant(sd_bus_message* message, CBusValue& value) {
    return ReadVariant(message, value, 0);
}

int ReadBusDict(sd_bus_message* message, BusDict& dict) {
    return ReadDict(message, dict, 0);
}

}  // namespace vantor
