#include "protocol/Xml.h"

#include "protocol/TextCoding.h"

#include <string.h>

#include <charconv>
#include <limits>

namespace vantor {
namespace {

constexpr size_t npos = std::string::npos;

std::string Tag(std::string_view before, std::string_view name, std::string_view after) {
    std::string tag;
    tag.reserve(before.size() + name.size() + after.size());
    tag.append(before).append(name).append(after);
    return tag;
}

// std::string::find stops at every '<' of a document; memmem skips ahead far better.
size_t Search(const std::string& doc, const std::string& needle, size_t from) {
    if (from > doc.size()) return npos;
    const void* hit = memmem(doc.data() + from, doc.size() - from, needle.data(), needle.size());
    return hit == nullptr ? npos : static_cast<size_t>(static_cast<const char*>(hit) - doc.data());
}

bool IsAtoiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// atoi without its undefined behaviour on overflow: the value saturates.
int32_t AtoiLike(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsAtoiSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit) value = kLimit;
    }
    if (negative) return static_cast<int32_t>(-value);
    return static_cast<int32_t>(value > kLimit - 1 ? kLimit - 1 : value);
}

void AppendLatin1(std::string& out, unsigned char byte) {
    out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
    out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
}

}  // namespace

void WriteElement(std::string& out, std::string_view name, std::string_view value) {
    out.append("\n<").append(name);
    if (value.empty()) {
        out.append("/>");
        return;
    }
    out.push_back('>');
    out.append(XmlEscape(value));
    out.append("</").append(name).push_back('>');
}

void WriteIntElement(std::string& out, std::string_view name, int32_t value) {
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    WriteElement(out, name, std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

void WriteBoolElement(std::string& out, std::string_view name, bool value) {
    WriteElement(out, name, value ? "true" : "false");
}

CElementFinder::CElementFinder(const std::string& doc, std::string_view name)
    : m_doc(doc),
      m_spaced(Tag("<", name, " ")),
      m_plain(Tag("<", name, ">")),
      m_close(Tag("</", name, ">")) {}

size_t CElementFinder::Find(size_t from) {
    const bool cached = m_spacedFrom != npos && from >= m_spacedFrom &&
                        (m_spacedHit == npos || from <= m_spacedHit);
    if (!cached) {
        m_spacedHit = Search(m_doc, m_spaced, from);
        m_spacedFrom = from;
    }
    if (m_spacedHit != npos) return m_spacedHit;
    return Search(m_doc, m_plain, from);
}

std::string CElementFinder::TextAt(size_t& cursor) {
    size_t start = Find(cursor);
    if (start == npos) return {};
    size_t gt = m_doc.find('>', start);
    if (gt == npos || m_doc[gt - 1] == '/') return {};
    size_t contentStart = gt + 1;
    size_t close = Search(m_doc, m_close, contentStart);
    if (close == npos) return {};
    // Each nested start tag before the current end tag pushes the end one tag further.
    size_t next = Find(start + 1);
    while (next != npos && next < close) {
        close = Search(m_doc, m_close, close + 1);
        if (close == npos) return {};
        next = Find(next + 1);
    }
    cursor = close;
    return XmlUnescape(std::string_view(m_doc).substr(contentStart, close - contentStart));
}

size_t FindElementStart(const std::string& doc, std::string_view name, size_t from) {
    return CElementFinder(doc, name).Find(from);
}

std::string GetElementTextAt(const std::string& doc, std::string_view name, size_t& cursor) {
    return CElementFinder(doc, name).TextAt(cursor);
}

std::string GetElementText(const std::string& doc, std::string_view name) {
    size_t cursor = 0;
    return GetElementTextAt(doc, name, cursor);
}

int32_t GetElementInt(const std::string& doc, std::string_view name) {
    std::string text = GetElementText(doc, name);
    if (text.empty()) return -1;
    return AtoiLike(text);
}

bool GetElementBool(const std::string& doc, std::string_view name) {
    std::string text = GetElementText(doc, name);
    if (text.size() != 4) return false;
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text == "true";
}

std::string GetElementAttribute(const std::string& doc, std::string_view element,
                                std::string_view attribute) {
    std::string open;
    open.append("<").append(element).push_back(' ');
    size_t start = doc.find(open);
    if (start == npos) return {};
    size_t gt = doc.find('>', start);
    if (gt == npos) return {};
    std::string_view tag = std::string_view(doc).substr(start, gt - start + 1);
    std::string key;
    key.append(attribute).append("=\"");
    size_t at = tag.find(key);
    if (at == npos) return {};
    size_t valueStart = at + key.size();
    size_t valueEnd = tag.find('"', valueStart);
    if (valueEnd == npos) return {};
    return XmlUnescape(tag.substr(valueStart, valueEnd - valueStart));
}

std::string GetRootElementName(const std::string& doc) {
    size_t lt = doc.find('<');
    if (lt == npos) return {};
    size_t gt = doc.find('>', lt);
    if (gt == npos) return {};
    size_t sp = doc.find(' ', lt);
    size_t end = (sp != npos && sp <= gt) ? sp : gt;
    return XmlUnescape(std::string_view(doc).substr(lt + 1, end - lt - 1));
}

void RemoveSpans(std::string& doc, std::string_view open, std::string_view close) {
    if (open.empty() || close.empty()) return;
    size_t pos = doc.find(open);
    while (pos != npos) {
        size_t end = doc.find(close, pos);
        if (end == npos) return;
        doc.erase(pos, end + close.size() - pos);
        pos = doc.find(open, pos);
    }
}

int ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty()) return 0;
    size_t pos = text.find(from);
    if (pos == npos) return 0;
    // One pass into a new string keeps long texts with many hits linear.
    std::string result;
    result.reserve(text.size());
    size_t done = 0;
    int count = 0;
    while (pos != npos) {
        result.append(text, done, pos - done).append(to);
        done = pos + from.size();
        ++count;
        pos = text.find(from, done);
    }
    result.append(text, done, npos);
    text.swap(result);
    return count;
}

std::string XmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    // A single left-to-right pass gives the same result as the five ordered passes,
    // because each replacement only ever introduces '&' before text the later passes skip.
    for (char c : text) {
        switch (c) {
            case '&':
                out.append("&amp;");
                break;
            case '<':
                out.append("&lt;");
                break;
            case '>':
                out.append("&gt;");
                break;
            case '"':
                out.append("&quot;");
                break;
            case '\'':
                out.append("&apos;");
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

std::string XmlUnescape(std::string_view text) {
    std::string out(text);
    if (out.find('&') == npos) return out;
    ReplaceAll(out, "&lt;", "<");
    ReplaceAll(out, "&gt;", ">");
    ReplaceAll(out, "&quot;", "\"");
    ReplaceAll(out, "&apos;", "'");
    ReplaceAll(out, "&amp;", "&");
    return out;
}

bool ToWireText(std::string& text) {
    size_t pos = 0;
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80) ++pos;
    if (pos == text.size()) return true;
    std::string out;
    out.reserve(text.size() * 2 + 1);
    out.append(text, 0, pos);
    while (pos < text.size()) {
        size_t length = Utf8SequenceLength(text, pos);
        if (length == 0) {
            AppendLatin1(out, static_cast<unsigned char>(text[pos]));
            ++pos;
        } else {
            out.append(text, pos, length);
            pos += length;
        }
    }
    text.swap(out);
    return true;
}

bool FromWireText(std::string& text) {
    for (size_t pos = 0; pos < text.size();) {
        size_t length = Utf8SequenceLength(text, pos);
        if (length == 0) return false;
        pos += length;
    }
    return true;
}

}  // namespace vantor
