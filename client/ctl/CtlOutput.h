#pragma once

// What vantorctl prints: plain lines for people, or with --json one JSON object per answer
// or event line, for scripts.

#include <cstdint>
#include <string>
#include <vector>

namespace vantor::ctl {

// One JSON object, built field by field in order.
class JsonObject {
public:
    JsonObject& Text(const std::string& key, const std::string& value);
    JsonObject& Number(const std::string& key, int64_t value);
    JsonObject& Flag(const std::string& key, bool value);
    JsonObject& Null(const std::string& key);
    JsonObject& TextList(const std::string& key, const std::vector<std::string>& values);
    JsonObject& ObjectList(const std::string& key, const std::vector<JsonObject>& values);
    JsonObject& Object(const std::string& key, const JsonObject& value);
    std::string Serialize() const;

private:
    JsonObject& Raw(const std::string& key, const std::string& json);
    std::string m_fields;
};

// A JSON string literal, quotes included (UTF-8 passes through; control characters escaped).
std::string JsonQuote(const std::string& text);

class Output {
public:
    explicit Output(bool json) : m_json(json) {}
    bool Json() const { return m_json; }
    // Plain text as it is (a line break is added when missing), or the object as one line.
    void Answer(const std::string& plain, const JsonObject& json) const;
    // An error line on standard error.
    static void Error(const std::string& text);

private:
    bool m_json;
};

}  // namespace vantor::ctl
