// Drives every reader of the XML model with arbitrary documents and names, and checks the
// properties peers depend on: escaping round-trips and the wire text is always UTF-8.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "protocol/Xml.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// The plain definition of a start-tag search, to hold the cached walk against.
size_t PlainFind(const std::string& doc, const std::string& name, size_t from) {
    size_t pos = doc.find("<" + name + " ", from);
    return pos != std::string::npos ? pos : doc.find("<" + name + ">", from);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first line is the element name, the rest the document.
    std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t split = input.find('\n');
    std::string name(input.substr(0, split == std::string_view::npos ? 0 : split));
    std::string doc(split == std::string_view::npos ? input : input.substr(split + 1));

    (void)vantor::GetElementText(doc, name);
    (void)vantor::GetElementInt(doc, name);
    (void)vantor::GetElementBool(doc, name);
    (void)vantor::GetElementAttribute(doc, name, "a");
    (void)vantor::GetRootElementName(doc);

    size_t cursor = 0;
    for (int i = 0; i < 64; ++i) {
        size_t before = cursor;
        // An empty element ("<e></e>") reads as "" but still moves the cursor.
        if (vantor::GetElementTextAt(doc, name, cursor).empty()) break;
        Check(cursor > before && cursor < doc.size());
    }

    vantor::CElementFinder finder(doc, name);
    for (size_t from = 0; from <= doc.size() && from < 512; from += 1 + from % 3) {
        Check(finder.Find(from) == PlainFind(doc, name, from));
        if (from % 7 == 3) Check(finder.Find(from / 2) == PlainFind(doc, name, from / 2));
    }

    std::string stripped = doc;
    vantor::RemoveSpans(stripped, "<!--", "-->");
    Check(stripped.size() <= doc.size());

    Check(vantor::XmlUnescape(vantor::XmlEscape(doc)) == doc);
    std::string written;
    vantor::WriteElement(written, "e", doc);
    Check(vantor::GetElementText(written, "e") == doc);

    std::string wire = doc;
    Check(vantor::ToWireText(wire));
    std::string back = wire;
    Check(vantor::FromWireText(back) && back == wire);
    std::string original = doc;
    if (vantor::FromWireText(original)) Check(wire == doc);
    return 0;
}
