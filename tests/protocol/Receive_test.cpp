#include "protocol/Receive.h"

#include <gtest/gtest.h>

#include <string>

#include "protocol/Messages.h"
#include "protocol/ResultCodes.h"
#include "protocol/Xml.h"

namespace vantor {
namespace {

TEST(Receive, UnreadableDocumentsAreAnsweredAsUnrecognized) {
    struct Case {
        const char* what;
        std::string bytes;
        int32_t requestId;
    };
    const Case cases[] = {
        {"unknown root without requestId", "<FooRequest>\n<x>1</x>\n</FooRequest>", -1},
        {"known type the server never reads",
         "<PressButtonRequest>\n<requestId>12</requestId>\n</PressButtonRequest>", 12},
        {"wrongly cased name", "<playrequest><requestId>3</requestId></playrequest>", 3},
        {"no element at all", "hello", -1},
        {"empty document", "", -1},
        {"only a declaration", "<?xml version=\"1.0\"?>", -1},
        {"root name with a tab", "<PlayRequest\t><requestId>4</requestId></PlayRequest>", 4},
    };
    for (const Case& c : cases) {
        CReceiveResult result = ReceiveDocument(c.bytes, 8);
        ASSERT_NE(result.message, nullptr) << c.what;
        EXPECT_FALSE(result.recognized) << c.what;
        auto* answer = dynamic_cast<CResponseMessage*>(result.message.get());
        ASSERT_NE(answer, nullptr) << c.what;
        EXPECT_EQ(answer->TypeId(), msg::UnrecognizedRequest) << c.what;
        EXPECT_EQ(answer->ClientId(), 8) << c.what;
        EXPECT_EQ(answer->RequestId(), c.requestId) << c.what;
        std::string expected = "<UnrecognizedRequest>";
        if (c.requestId != -1) {
            expected += "\n<requestId>" + std::to_string(c.requestId) + "</requestId>";
        }
        expected += "\n<returnCode>10</returnCode>\n</UnrecognizedRequest>";
        EXPECT_EQ(answer->ToXml(), expected) << c.what;
    }

    // The clients have no PlayPause type.
    CReceiveResult onClient = ReceiveDocument(
        "<PlayPauseRequest><requestId>1</requestId></PlayPauseRequest>", -1, ClientCatalogue());
    EXPECT_FALSE(onClient.recognized);
    EXPECT_EQ(onClient.message->TypeName(), "UnrecognizedRequest");
}

TEST(Receive, DeclarationsAndCommentsChangeNothing) {
    const std::string plain =
        "<SetVolumeRequest>\n<requestId>7</requestId>\n<volume>40</volume>\n</SetVolumeRequest>";
    const std::string variants[] = {
        plain,
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + plain,
        "<!-- from the phone -->" + plain,
        "<SetVolumeRequest><!-- <volume>1</volume> -->\n<requestId>7</requestId>\n<volume>"
        "<!--x-->40</volume><?pi?></SetVolumeRequest>",
        "\xEF\xBB\xBF<?xml version=\"1.0\"?><!--a--><SetVolumeRequest "
        "xmlns=\"v\"><requestId>7</requestId><volume>40</volume></SetVolumeRequest><!--b-->",
    };
    for (const std::string& bytes : variants) {
        CReceiveResult result = ReceiveDocument(bytes, 2);
        ASSERT_TRUE(result.recognized) << bytes;
        EXPECT_EQ(result.message->ToXml(), plain) << bytes;
        EXPECT_EQ(result.message->ClientId(), 2) << bytes;
    }
}

TEST(Receive, TextArrivesAsSentWhetherUtf8OrNot) {
    struct Case {
        const char* what;
        std::string wirePreset;
        std::string localPreset;
    };
    const Case cases[] = {
        {"UTF-8 stays UTF-8", "Caf\xC3\xA9 \xD0\x94 \xE2\x82\xAC",
         "Caf\xC3\xA9 \xD0\x94 \xE2\x82\xAC"},
        {"8-bit text passes through as received", "Caf\xE9", "Caf\xE9"},
    };
    for (const Case& c : cases) {
        CReceiveResult result = ReceiveDocument(
            "<SetEqPresetRequest><preset>" + c.wirePreset + "</preset></SetEqPresetRequest>", 1);
        ASSERT_TRUE(result.recognized) << c.what;
        auto& request = dynamic_cast<CEqPresetRequest&>(*result.message);
        EXPECT_EQ(request.Body().preset, c.localPreset) << c.what;
    }
}

}  // namespace
}  // namespace vantor
