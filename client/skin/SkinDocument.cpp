#include "client/skin/SkinDocument.h"

namespace vantor::skin {

namespace {

void ReplaceEvery(std::string& text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::string ReplaceSkinEntities(std::string_view value) {
    std::string text(value);
    ReplaceEvery(text, "&lt;", "<");
    ReplaceEvery(text, "&gt;", ">");
    ReplaceEvery(text, "&quot;", "\"");
    ReplaceEvery(text, "&amp;", "&");
    return text;
}

bool SkinDocument::Parse(const std::string& text) {
    m_elements.clear();
    m_contentStart.clear();
    m_current = -1;
    size_t pos = 0;
    while ((pos = text.find('<', pos)) != std::string::npos) {
        if (text.compare(pos, 4, "<!--") == 0) {
            const size_t end = text.find("-->", pos + 4);
            if (end == std::string::npos) break;
            pos = end + 3;
            continue;
        }
        const size_t close = text.find('>', pos + 1);
        if (close == std::string::npos) break;
        const std::string_view tag(text.data() + pos, close - pos + 1);
        if (tag.size() > 1 && tag[1] == '/') {
            if (m_current >= 0) {
                SkinElement& element = m_elements[static_cast<size_t>(m_current)];
                const size_t start = m_contentStart[static_cast<size_t>(m_current)];
                if (!element.hasChildren && pos >= start)
                    element.text = text.substr(start, pos - start);
                m_current = element.parent;
            }
        } else {
            ReadTag(tag, close + 1);
        }
        pos = close + 1;
    }
    return !m_elements.empty();
}

void SkinDocument::ReadTag(std::string_view tag, size_t tagEnd) {
    // tag runs from "<" through ">".
    const std::string_view inner = tag.substr(1, tag.size() - 2);
    const bool complete = !inner.empty() && inner.back() == '/';
    size_t nameEnd = 0;
    while (nameEnd < inner.size() && !IsSpace(inner[nameEnd])) ++nameEnd;
    SkinElement element;
    element.name = std::string(inner.substr(0, nameEnd));
    // "<rect/>" names a rect, not a "rect/".
    if (nameEnd == inner.size() && complete) element.name.pop_back();
    element.parent = m_current;

    size_t pos = nameEnd;
    while (pos < inner.size()) {
        while (pos < inner.size() && IsSpace(inner[pos])) ++pos;
        const size_t equals = inner.find('=', pos);
        if (equals == std::string_view::npos) break;
        const size_t open = inner.find('"', equals + 1);
        if (open == std::string_view::npos) break;
        const size_t end = inner.find('"', open + 1);
        if (end == std::string_view::npos) break;
        std::string_view name = inner.substr(pos, equals - pos);
        while (!name.empty() && IsSpace(name.back())) name.remove_suffix(1);
        element.attributes.emplace_back(
            std::string(name), ReplaceSkinEntities(inner.substr(open + 1, end - open - 1)));
        pos = end + 1;
    }

    if (m_current >= 0) m_elements[static_cast<size_t>(m_current)].hasChildren = true;
    m_elements.push_back(std::move(element));
    m_contentStart.push_back(tagEnd);
    if (!complete) m_current = static_cast<int>(m_elements.size()) - 1;
}

std::vector<int> SkinDocument::FindAll(std::string_view name) const {
    std::vector<int> found;
    for (size_t i = 0; i < m_elements.size(); ++i) {
        if (m_elements[i].name == name) found.push_back(static_cast<int>(i));
    }
    return found;
}

std::vector<int> SkinDocument::Children(int parent) const {
    std::vector<int> found;
    for (size_t i = 0; i < m_elements.size(); ++i) {
        if (m_elements[i].parent == parent) found.push_back(static_cast<int>(i));
    }
    return found;
}

int SkinDocument::FindChild(int parent, std::string_view name) const {
    for (size_t i = 0; i < m_elements.size(); ++i) {
        if (m_elements[i].parent == parent && m_elements[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

const std::string* SkinDocument::Attribute(int element, std::string_view name) const {
    if (element < 0 || static_cast<size_t>(element) >= m_elements.size()) return nullptr;
    for (const auto& [key, value] : m_elements[static_cast<size_t>(element)].attributes) {
        if (key == name) return &value;
    }
    return nullptr;
}

}  // namespace vantor::skin
