#include "client/ctl/CtlOutput.h"

#include <cstdio>

namespace vantor::ctl {

std::string JsonQuote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out.push_back(static_cast<char>(c));
                }
        }
    }
    return out + "\"";
}

JsonObject& JsonObject::Raw(const std::string& key, const std::string& json) {
    if (!m_fields.empty()) m_fields += ",";
    m_fields += JsonQuote(key) + ":" + json;
    return *this;
}

JsonObject& JsonObject::Text(const std::string& key, const std::string& value) {
    return Raw(key, JsonQuote(value));
}

JsonObject& JsonObject::Number(const std::string& key, int64_t value) {
    return Raw(key, std::to_string(value));
}

JsonObject& JsonObject::Flag(const std::string& key, bool value) {
    return Raw(key, value ? "true" : "false");
}

JsonObject& JsonObject::Null(const std::string& key) {
    return Raw(key, "null");
}

JsonObject& JsonObject::TextList(const std::string& key, const std::vector<std::string>& values) {
    std::string json = "[";
    for (size_t i = 0; i < values.size(); ++i) json += (i ? "," : "") + JsonQuote(values[i]);
    return Raw(key, json + "]");
}

JsonObject& JsonObject::ObjectList(const std::string& key, const std::vector<JsonObject>& values) {
    std::string json = "[";
    for (size_t i = 0; i < values.size(); ++i) json += (i ? "," : "") + values[i].Serialize();
    return Raw(key, json + "]");
}

JsonObject& JsonObject::Object(const std::string& key, const JsonObject& value) {
    return Raw(key, value.Serialize());
}

std::string JsonObject::Serialize() const {
    return "{" + m_fields + "}";
}

void Output::Answer(const std::string& plain, const JsonObject& json) const {
    std::string line = m_json ? json.Serialize() : plain;
    if (line.empty()) return;
    if (line.back() != '\n') line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

void Output::Error(const std::string& text) {
    std::fprintf(stderr, "vantorctl: %s\n", text.c_str());
}

}  // namespace vantor::ctl
