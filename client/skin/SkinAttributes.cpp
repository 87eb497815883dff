#include "client/skin/SkinAttributes.h"

#include <climits>
#include <cstdlib>

namespace vantor::skin {

namespace {

constexpr size_t kIntegerTextLimit = 14;

// Like atoi, without its undefined behaviour on overflow.
int32_t LeadingInteger(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    int64_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > INT_MAX) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int32_t>(value);
}

uint8_t ColourPart(std::string_view text) {
    const int32_t value = LeadingInteger(text) % 256;
    return static_cast<uint8_t>(value < 0 ? value + 256 : value);
}

}  // namespace

std::string TextAttribute(const SkinDocument& doc, int element, std::string_view name) {
    const std::string* value = doc.Attribute(element, name);
    return value ? *value : std::string();
}

int32_t IntAttribute(const SkinDocument& doc, int element, std::string_view name) {
    const std::string* value = doc.Attribute(element, name);
    if (!value) return -1;
    if (*value == "true") return 1;
    if (*value == "false") return 0;
    return LeadingInteger(std::string_view(*value).substr(0, kIntegerTextLimit));
}

bool FlagAttribute(const SkinDocument& doc, int element, std::string_view name) {
    const std::string* value = doc.Attribute(element, name);
    return value && *value == "true";
}

Rgb ParseColour(std::string_view value) {
    const size_t first = value.find(',');
    if (first == std::string_view::npos) return {};
    const size_t second = value.find(',', first + 1);
    Rgb colour;
    colour.red = ColourPart(value.substr(0, first));
    if (second == std::string_view::npos) {
        colour.green = ColourPart(value.substr(first + 1));
    } else {
        colour.green = ColourPart(value.substr(first + 1, second - first - 1));
        colour.blue = ColourPart(value.substr(second + 1));
    }
    return colour;
}

std::optional<Rgb> ColourAttribute(const SkinDocument& doc, int element, std::string_view name) {
    const std::string* value = doc.Attribute(element, name);
    if (!value || value->empty()) return std::nullopt;
    return ParseColour(*value);
}

}  // namespace vantor::skin
