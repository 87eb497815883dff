#pragma once

// How skin attributes are read: text, integer, flag and colour, each with its default for
// an absent attribute.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "client/skin/SkinDocument.h"

namespace vantor::skin {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

// The value; "" when absent.
std::string TextAttribute(const SkinDocument& doc, int element, std::string_view name);
// "true" 1, "false" 0, else the decimal value read from the start of (at most) the first 14
// characters, non-digits ending it; -1 when absent.
int32_t IntAttribute(const SkinDocument& doc, int element, std::string_view name);
// True only for the exact value "true".
bool FlagAttribute(const SkinDocument& doc, int element, std::string_view name);
// "red,green,blue", each taken modulo 256; a value without "," is black.
Rgb ParseColour(std::string_view value);
// The colour when the attribute is present and not empty.
std::optional<Rgb> ColourAttribute(const SkinDocument& doc, int element, std::string_view name);

}  // namespace vantor::skin
