#pragma once

#include <systemd/sd-bus.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vantor {

// One value read out of a D-Bus variant, kept by kind: texts (strings and object paths),
// lists of texts, integers, reals, flags, and string-keyed dictionaries (a{sv}). Other
// containers are skipped and leave the kind at kNone. Players fill their properties freely,
// so every reader of a value checks its kind.
struct CBusValue {
    enum Kind { kNone, kText, kTexts, kInteger, kReal, kFlag, kDict };

    Kind kind = kNone;
    std::string text;
    std::vector<std::string> texts;
    int64_t integer = 0;
    double real = 0;
    bool flag = false;
    std::vector<std::pair<std::string, CBusValue>> entries;  // kDict

    // The entry of a dictionary, or null.
    const CBusValue* Find(const std::string& key) const;
    // A text or the first of a list of texts (players differ in which they send).
    std::string FirstText() const;
    // Integers of any width, and reals, as a 64-bit integer; `def` for other kinds.
    int64_t AsInteger(int64_t def) const;
    double AsReal(double def) const;
};

using BusDict = std::vector<std::pair<std::string, CBusValue>>;

// Reads the variant at the message's current position. Returns 0, or a negative errno for
// a malformed message. Dictionaries nest at most a few levels deep; deeper ones are skipped.
int ReadBusVariant(sd_bus_message* message, CBusValue& value);
// Reads an a{sv} at the current position into `dict`.
int ReadBusDict(sd_bus_message* message, BusDict& dict);

}  // namespace vantor
