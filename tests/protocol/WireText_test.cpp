#include <gtest/gtest.h>

#include <string>

#include "protocol/Xml.h"

namespace vantor {
namespace {

TEST(WireText, ReceivedBytesAreKeptAndCheckedForUtf8) {
    struct Case {
        const char* what;
        std::string bytes;
        bool wellFormed;
    };
    const Case cases[] = {
        {"empty", "", true},
        {"ascii", "<a>b</a>", true},
        {"latin-1 letter as sent", "\xC3\xA9", true},
        {"euro sign is kept, not dropped", "x\xE2\x82\xACy", true},
        {"cyrillic", "\xD0\x9F\xD1\x80", true},
        {"cjk", "\xE6\x97\xA5\xE6\x9C\xAC", true},
        {"four-byte emoji", "\xF0\x9F\x98\x80", true},
        {"highest code point", "\xF4\x8F\xBF\xBF", true},
        {"lone latin-1 byte", "\xE9", false},
        {"truncated two-byte", "ab\xC3", false},
        {"truncated three-byte", "\xE2\x82", false},
        {"truncated four-byte", "\xF0\x9F\x98", false},
        {"bad continuation", "\xC3\x28", false},
        {"bad third byte", "\xE2\x82\x28", false},
        {"stray continuation", "\x80", false},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong two-byte lead", "\xC1\xBF", false},
        {"overlong three-byte", "\xE0\x80\xAF", false},
        {"overlong four-byte", "\xF0\x80\x80\xAF", false},
        {"encoded high surrogate", "\xED\xA0\x80", false},
        {"encoded low surrogate", "\xED\xBF\xBF", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"invalid lead F5", "\xF5\x80\x80\x80", false},
        {"invalid byte FF", "\xFF", false},
    };
    for (const Case& c : cases) {
        std::string text = c.bytes;
        EXPECT_EQ(FromWireText(text), c.wellFormed) << c.what;
        EXPECT_EQ(text, c.bytes) << c.what;
    }
}

TEST(WireText, LocalTextGoesOutAsUtf8) {
    struct Case {
        const char* what;
        std::string local;
        std::string wire;
    };
    const Case cases[] = {
        {"ascii unchanged", "<a>b</a>", "<a>b</a>"},
        {"lone 0xE9 as Latin-1", "\xE9", "\xC3\xA9"},
        {"all of Latin-1's upper half", "\xA0\xFF", "\xC2\xA0\xC3\xBF"},
        {"valid UTF-8 passes through", "caf\xC3\xA9 \xF0\x9F\x98\x80",
         "caf\xC3\xA9 \xF0\x9F\x98\x80"},
        {"an 8-bit name amid UTF-8", "\xC3\xA9-\xE9", "\xC3\xA9-\xC3\xA9"},
        {"truncated sequence bytes are Latin-1", "\xE2\x82", "\xC3\xA2\xC2\x82"},
        {"encoded surrogate bytes are Latin-1", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
        {"overlong bytes are Latin-1", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
    };
    for (const Case& c : cases) {
        std::string text = c.local;
        EXPECT_TRUE(ToWireText(text)) << c.what;
        EXPECT_EQ(text, c.wire) << c.what;
        // Whatever goes out is well-formed and comes back unchanged.
        std::string back = text;
        EXPECT_TRUE(FromWireText(back)) << c.what;
        EXPECT_EQ(back, c.wire) << c.what;
    }
}

}  // namespace
}  // namespace vantor
