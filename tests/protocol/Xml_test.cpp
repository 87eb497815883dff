#include "protocol/Xml.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantor {
namespace {

TEST(Xml, WritingElements) {
    struct Case {
        std::string written;
        const char* expected;
    };
    auto write = [](auto fn) {
        std::string out;
        fn(out);
        return out;
    };
    const Case cases[] = {
        {write([](std::string& o) { WriteElement(o, "title", ""); }), "\n<title/>"},
        {write([](std::string& o) { WriteElement(o, "title", "a<b & 'c'"); }),
         "\n<title>a&lt;b &amp; &apos;c&apos;</title>"},
        {write([](std::string& o) { WriteElement(o, "q", "\"x\">"); }),
         "\n<q>&quot;x&quot;&gt;</q>"},
        {write([](std::string& o) { WriteIntElement(o, "volume", -2147483647 - 1); }),
         "\n<volume>-2147483648</volume>"},
        {write([](std::string& o) { WriteIntElement(o, "volume", 0); }), "\n<volume>0</volume>"},
        {write([](std::string& o) { WriteBoolElement(o, "on", true); }), "\n<on>true</on>"},
        {write([](std::string& o) { WriteBoolElement(o, "on", false); }), "\n<on>false</on>"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.written, c.expected);
}

TEST(Xml, FindingElementText) {
    struct Case {
        const char* doc;
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        // Self-closing and empty forms read as empty.
        {"<A>\n<title/></A>", "title", ""},
        {"<A><title /></A>", "title", ""},
        {"<A><title></title></A>", "title", ""},
        // Nested same-name elements pair with their own end tags.
        {"<A><item>1<item>2</item>3</item></A>", "item", "1<item>2</item>3"},
        {"<A><item>1<item>2<item>3</item></item>4</item></A>", "item",
         "1<item>2<item>3</item></item>4"},
        // The spaced start tag wins even when the plain one comes first.
        {"<item>x</item><item type=\"t\">y</item>", "item", "y"},
        // Only "<name>" and "<name " start an element.
        {"<item\t>x</item>", "item", ""},
        {"<itemX>x</itemX><item>y</item>", "item", "y"},
        {"<itemX>x</itemX>", "item", ""},
        // Unterminated or malformed elements read as empty.
        {"<item>x", "item", ""},
        {"<item", "item", ""},
        {"<A><item>1<item>2</item></A>", "item", ""},
        // The search is not confined to any parent.
        {"<A><b><c>deep</c></b></A>", "c", "deep"},
        // Names match case-sensitively.
        {"<Item>x</Item>", "item", ""},
        // Text is unescaped once, "&amp;" last.
        {"<t>&amp;lt;</t>", "t", "&lt;"},
        {"<t>&amp;quot;</t>", "t", "&quot;"},
        {"<t>&lt;&gt;&quot;&apos;&amp;</t>", "t", "<>\"'&"},
        {"<t>&#65;&nbsp;</t>", "t", "&#65;&nbsp;"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetElementText(c.doc, c.name), c.text) << c.doc;
    }
}

TEST(Xml, WalkingRepeatedElementsWithACursor) {
    const std::string doc = "<L><e>1</e><e/><e>2</e><e>3</L>";
    size_t cursor = 0;
    std::vector<std::string> seen;
    for (;;) {
        std::string text = GetElementTextAt(doc, "e", cursor);
        if (text.empty()) break;
        seen.push_back(text);
        EXPECT_EQ(doc.compare(cursor, 4, "</e>"), 0);
    }
    // The last "<e>" has no end tag: it reads as empty and the cursor stays put.
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(cursor, doc.find("</e><e>3"));
    EXPECT_EQ(FindElementStart(doc, "e", 0), 3u);
    EXPECT_EQ(FindElementStart(doc, "e", 4), doc.find("<e>2"));
    EXPECT_EQ(FindElementStart(doc, "x", 0), std::string::npos);
}

TEST(Xml, IntegersAndBooleans) {
    struct IntCase {
        const char* doc;
        int32_t value;
    };
    const IntCase ints[] = {
        {"<v>42</v>", 42},
        {"<v>42abc</v>", 42},
        {"<v>abc</v>", 0},
        {"<v/>", -1},
        {"<w>1</w>", -1},
        {"<v> \t-17</v>", -17},
        {"<v>+8</v>", 8},
        {"<v>- 8</v>", 0},
        {"<v>2147483647</v>", 2147483647},
        {"<v>-2147483648</v>", -2147483647 - 1},
        {"<v>99999999999999999999</v>", 2147483647},
        {"<v>-99999999999999999999</v>", -2147483647 - 1},
    };
    for (const IntCase& c : ints) EXPECT_EQ(GetElementInt(c.doc, "v"), c.value) << c.doc;

    struct BoolCase {
        const char* doc;
        bool value;
    };
    const BoolCase bools[] = {
        {"<b>true</b>", true}, {"<b>TRUE</b>", true},   {"<b>tRuE</b>", true}, {"<b>1</b>", false},
        {"<b>yes</b>", false}, {"<b> true</b>", false}, {"<b/>", false},       {"", false},
    };
    for (const BoolCase& c : bools) EXPECT_EQ(GetElementBool(c.doc, "b"), c.value) << c.doc;
}

TEST(Xml, RootNamesAndAttributes) {
    struct RootCase {
        const char* doc;
        const char* name;
    };
    const RootCase roots[] = {
        {"<PlayRequest>\n</PlayRequest>", "PlayRequest"},
        {"<GetEqResponse version='2'>", "GetEqResponse"},
        {"\xEF\xBB\xBF  \n<Root>", "Root"},
        {"", ""},
        {"no tags", ""},
        {"<Open", ""},
        {"<?xml version=\"1.0\"?><R>", "?xml"},
        {"<A&amp;B>", "A&B"},
        // The space is looked for from the '<', so one after the '>' does not count.
        {"<A>b c", "A"},
    };
    for (const RootCase& c : roots) EXPECT_EQ(GetRootElementName(c.doc), c.name) << c.doc;

    struct AttributeCase {
        const char* doc;
        const char* element;
        const char* attribute;
        const char* value;
    };
    const AttributeCase attributes[] = {
        {"<img src=\"a&amp;b.png\" alt=\"x\">", "img", "src", "a&b.png"},
        {"<img src=\"a.png\" alt=\"x\">", "img", "alt", "x"},
        {"<img src='a.png'>", "img", "src", ""},
        {"<img>", "img", "src", ""},
        {"<img src=\"a.png", "img", "src", ""},
        // Only the first spaced start tag is looked at.
        {"<img a=\"1\"><img src=\"b\">", "img", "src", ""},
        // The attribute is not looked for past the tag's '>'.
        {"<img a=\"1\">src=\"b\"", "img", "src", ""},
    };
    for (const AttributeCase& c : attributes) {
        EXPECT_EQ(GetElementAttribute(c.doc, c.element, c.attribute), c.value) << c.doc;
    }
}

TEST(Xml, RemovingSpansAndReplacing) {
    struct SpanCase {
        std::string doc;
        const char* open;
        const char* close;
        const char* result;
    };
    const SpanCase spans[] = {
        {"a<!--x-->b<!--y", "<!--", "-->", "ab<!--y"},
        {"<!--1--><!--2-->c", "<!--", "-->", "c"},
        {"<?xml version=\"1.0\"?>\n<R>", "<?", "?>", "\n<R>"},
        {"<?a?><?b", "<?", "?>", "<?b"},
        {"none", "<!--", "-->", "none"},
        {"<!-- a <!-- b --> c -->", "<!--", "-->", " c -->"},
    };
    for (const SpanCase& c : spans) {
        std::string doc = c.doc;
        RemoveSpans(doc, c.open, c.close);
        EXPECT_EQ(doc, c.result) << c.doc;
    }

    struct ReplaceCase {
        const char* text;
        const char* from;
        const char* to;
        const char* result;
        int count;
    };
    const ReplaceCase replaces[] = {
        {"aaa", "a", "aa", "aaaaaa", 3},  // inserted text is never rescanned
        {"aaaa", "aa", "b", "bb", 2},    {"abc", "x", "y", "abc", 0},
        {"abc", "", "y", "abc", 0},      {"a.b.c", ".", "", "abc", 2},
    };
    for (const ReplaceCase& c : replaces) {
        std::string text = c.text;
        EXPECT_EQ(ReplaceAll(text, c.from, c.to), c.count) << c.text;
        EXPECT_EQ(text, c.result) << c.text;
    }

    const std::string tricky = "&lt; & &amp; <>\"' &apos;";
    EXPECT_EQ(XmlUnescape(XmlEscape(tricky)), tricky);
    EXPECT_EQ(XmlEscape(tricky), "&amp;lt; &amp; &amp;amp; &lt;&gt;&quot;&apos; &amp;apos;");
}

}  // namespace
}  // namespace vantor
