#pragma once

// The skin files' own small element reader. It is deliberately not the message model of
// the protocol: skins are read the way they always were, quirks included.
//
// Scanning from the start, each "<" starts a tag that the next ">" ends. "</...>" closes
// the current element (a leaf gets the text between its tags), "<!--" skips to "-->", any
// other tag opens an element whose name runs to the first space (or ">") and whose
// attributes follow as name="value" pairs. A tag whose last character before ">" is "/" is
// complete at once. Element and attribute names are case-sensitive.
// Not thread-safe; a document is read once and then only looked at.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantor::skin {

struct SkinElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;  // in document order
    std::string text;  // only for elements without children
    int parent = -1;   // index into the document's elements; -1 for a top-level element
    bool hasChildren = false;
};

class SkinDocument {
public:
    // Reads the whole text. True when at least one element was read. A declaration such as
    // <?xml version="1.0"?> becomes an ordinary element that nobody asks for.
    bool Parse(const std::string& text);

    const std::vector<SkinElement>& Elements() const { return m_elements; }
    // Indexes of every element with this name anywhere in the document, in document order.
    std::vector<int> FindAll(std::string_view name) const;
    // Indexes of the direct children of `parent`, in document order.
    std::vector<int> Children(int parent) const;
    // First direct child named `name`, or -1.
    int FindChild(int parent, std::string_view name) const;
    // The attribute's value (entities replaced), or null when absent.
    const std::string* Attribute(int element, std::string_view name) const;

private:
    void ReadTag(std::string_view tag, size_t tagEnd);

    std::vector<SkinElement> m_elements;
    std::vector<size_t> m_contentStart;  // per element: offset just after its start tag
    int m_current = -1;
};

// "&amp;", "&lt;", "&gt;" and "&quot;" to their characters ("&amp;" last).
std::string ReplaceSkinEntities(std::string_view value);

}  // namespace vantor::skin
