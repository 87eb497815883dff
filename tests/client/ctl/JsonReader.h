#pragma once

// Just enough JSON reading for the tests to take vantorctl's --json output apart.

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vantor::test {

struct JsonValue {
    enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
    bool flag = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> fields;

    // The field, or a null value when absent.
    const JsonValue& operator[](const std::string& key) const;
};

// False when `text` is not one JSON value (white space around it allowed).
bool ParseJson(const std::string& text, JsonValue& value);

}  // namespace vantor::test
