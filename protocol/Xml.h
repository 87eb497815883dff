#pragma once

// The string-based XML model shared by the server and the clients. A document is one flat
// string; reading searches it by element name, writing appends formatted elements. There is
// deliberately no parser: peers rely on the exact search rules below, quirks included.
// Element and attribute names are ASCII and matched byte for byte. Reading never fails
// loudly: a missing or malformed element reads as "", -1 or false.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// Appends "\n<name>escaped value</name>", or "\n<name/>" when the value is empty.
void WriteElement(std::string& out, std::string_view name, std::string_view value);
// WriteElement with the value printed as "%d".
void WriteIntElement(std::string& out, std::string_view name, int32_t value);
// WriteElement with "true" or "false".
void WriteBoolElement(std::string& out, std::string_view name, bool value);

// Offset of the start tag of the first element `name` at or after `from`, or npos.
// "<name " is searched first and wins even when "<name>" occurs earlier; a tab or line
// break after the name, "<name/>" and "<nameX>" are never matched.
size_t FindElementStart(const std::string& doc, std::string_view name, size_t from);

// Unescaped text of the first element `name` anywhere in `doc`, pairing nested same-name
// elements with their end tags; "" when absent, empty (<name />) or unterminated.
std::string GetElementText(const std::string& doc, std::string_view name);

// As GetElementText, searching from `cursor`; on success the cursor moves to the matching
// end tag so repeated calls walk repeated elements. On failure the cursor stays and "" is
// returned.
std::string GetElementTextAt(const std::string& doc, std::string_view name, size_t& cursor);

// Walks one element name through one document, for readers of long lists. Find and
// TextAt give exactly what FindElementStart and GetElementTextAt give; because the spaced
// start tag wins wherever it occurs, each plain search must know whether a spaced one lies
// further on, and remembering the last spaced hit keeps a walk over a list linear instead
// of rescanning the rest of the document per entry. Holds a reference to `doc`.
class CElementFinder {
public:
    CElementFinder(const std::string& doc, std::string_view name);
    size_t Find(size_t from);
    std::string TextAt(size_t& cursor);

private:
    const std::string& m_doc;
    std::string m_spaced;                     // "<name "
    std::string m_plain;                      // "<name>"
    std::string m_close;                      // "</name>"
    size_t m_spacedFrom = std::string::npos;  // m_spacedHit is the first at or after this
    size_t m_spacedHit = std::string::npos;
};

// -1 when the text is empty; otherwise the text read like atoi (leading white space,
// optional sign, digits up to the first non-digit, no digits gives 0).
int32_t GetElementInt(const std::string& doc, std::string_view name);

// True exactly when the text, lower-cased, is "true".
bool GetElementBool(const std::string& doc, std::string_view name);

// Unescaped value of attribute="..." inside the first start tag written "<element ".
std::string GetElementAttribute(const std::string& doc, std::string_view element,
                                std::string_view attribute);

// Name of the first element: text after the first '<' up to a space or the first '>',
// unescaped. "" when the document has no '<' or no '>'. Processing instructions must be
// removed first, or "<?xml" yields "?xml".
std::string GetRootElementName(const std::string& doc);

// Deletes every span from `open` through the next `close`. An unterminated span and
// everything after it stay.
void RemoveSpans(std::string& doc, std::string_view open, std::string_view close);

// & < > " ' to their five entities (ampersand first).
std::string XmlEscape(std::string_view text);
// The five entities back, "&amp;" last so that "&amp;lt;" reads as "&lt;". No other entity
// or numeric reference is recognised.
std::string XmlUnescape(std::string_view text);

// Replaces every occurrence scanning left to right, never rescanning inserted text;
// returns the number of replacements. An empty `from` replaces nothing.
int ReplaceAll(std::string& text, std::string_view from, std::string_view to);

// Local text is UTF-8. Valid UTF-8 sequences pass through; every byte that is not part of
// one (an 8-bit file name, an ANSI playlist) is taken as a Latin-1 code point and encoded,
// so Latin-1 text gives the same wire bytes as ever. Always succeeds.
bool ToWireText(std::string& text);

// Checks that wire bytes are well-formed UTF-8 (no truncated sequence, bad continuation,
// overlong form, encoded surrogate or value above U+10FFFF). Valid text is kept exactly,
// every character included; otherwise returns false and leaves the bytes as received, and
// the caller goes on with them. An empty text is valid.
bool FromWireText(std::string& text);

}  // namespace vantor
