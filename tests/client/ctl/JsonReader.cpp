#include "tests/client/ctl/JsonReader.h"

#include <cctype>
#include <cstdlib>

namespace vantor::test {

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : m_text(text) {}

    bool Value(JsonValue& out) {
        Skip();
        if (m_pos >= m_text.size()) return false;
        const char c = m_text[m_pos];
        if (c == '{') return Object(out);
        if (c == '[') return Array(out);
        if (c == '"') {
            out.kind = JsonValue::kString;
            return String(out.text);
        }
        if (Word("true")) return out.kind = JsonValue::kBool, out.flag = true, true;
        if (Word("false")) return out.kind = JsonValue::kBool, true;
        if (Word("null")) return out.kind = JsonValue::kNull, true;
        char* end = nullptr;
        out.number = std::strtod(m_text.c_str() + m_pos, &end);
        if (end == m_text.c_str() + m_pos) return false;
        out.kind = JsonValue::kNumber;
        m_pos = static_cast<size_t>(end - m_text.c_str());
        return true;
    }
    bool AtEnd() {
        Skip();
        return m_pos == m_text.size();
    }

private:
    void Skip() {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
    }
    bool Word(const char* word) {
        const std::string w(word);
        if (m_text.compare(m_pos, w.size(), w) != 0) return false;
        m_pos += w.size();
        return true;
    }
    bool Take(char c) {
        Skip();
        if (m_pos >= m_text.size() || m_text[m_pos] != c) return false;
        ++m_pos;
        return true;
    }
    bool String(std::string& out) {
        if (!Take('"')) return false;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"') return true;
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (m_pos >= m_text.size()) return false;
            const char e = m_text[m_pos++];
            if (e == 'n')
                out.push_back('\n');
            else if (e == 't')
                out.push_back('\t');
            else if (e == 'r')
                out.push_back('\r');
            else if (e == 'u') {
                if (m_pos + 4 > m_text.size()) return false;
                out.push_back(
                    static_cast<char>(std::strtol(m_text.substr(m_pos, 4).c_str(), nullptr, 16)));
                m_pos += 4;
            } else
                out.push_back(e);
        }
        return false;
    }
    bool Array(JsonValue& out) {
        out.kind = JsonValue::kArray;
        Take('[');
        if (Take(']')) return true;
        do {
            JsonValue item;
            if (!Value(item)) return false;
            out.items.push_back(std::move(item));
        } while (Take(','));
        return Take(']');
    }
    bool Object(JsonValue& out) {
        out.kind = JsonValue::kObject;
        Take('{');
        if (Take('}')) return true;
        do {
            Skip();
            std::string key;
            JsonValue value;
            if (!String(key) || !Take(':') || !Value(value)) return false;
            out.fields[key] = std::move(value);
        } while (Take(','));
        return Take('}');
    }

    const std::string& m_text;
    size_t m_pos = 0;
};

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& key) const {
    static const JsonValue kNone;
    const auto it = fields.find(key);
    return it == fields.end() ? kNone : it->second;
}

bool ParseJson(const std::string& text, JsonValue& value) {
    Reader reader(text);
    return reader.Value(value) && reader.AtEnd();
}

}  // namespace vantor::test
