#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/BodyFields.h"
#include "protocol/Messages.h"
#include "protocol/ResultCodes.h"

namespace vantor {
namespace {

TEST(Bodies, PlayingStatesTravelByExactName) {
    const char* names[] = {
        "playing",           "paused",    "stopped",     "fast-forwarding", "fast-forwarding 2",
        "fast-forwarding 3", "rewinding", "rewinding 2", "rewinding 3"};
    for (int32_t state = 0; state < 9; ++state) {
        std::string doc;
        WritePlayingStateElement(doc, "playingState", state);
        EXPECT_EQ(doc, std::string("\n<playingState>") + names[state] + "</playingState>");
        int32_t read = -5;
        ReadPlayingStateElement(doc, "playingState", read);
        EXPECT_EQ(read, state);
    }
    // Unknown, differently cased or missing names leave the field as it was.
    for (const char* doc :
         {"<playingState>Playing</playingState>", "<playingState>fast-forwarding  2</playingState>",
          "<playingState/>", ""}) {
        int32_t read = kPaused;
        ReadPlayingStateElement(doc, "playingState", read);
        EXPECT_EQ(read, kPaused) << doc;
    }
    EXPECT_EQ(PlayingStateName(-1), "stopped");
}

TEST(Bodies, MediaTypesByName) {
    struct Case {
        const char* name;
        int32_t type;
    };
    const Case cases[] = {
        {"music", kMediaMusic},        {"Playlist Folder", kMediaPlaylistFolder},
        {"TV SERIES", kMediaTVSeries}, {"radio folder", kMediaRadioFolder},
        {"info", kMediaInfo},          {"song", kMediaUndefined},
        {"tvseries", kMediaUndefined}, {"", kMediaUndefined},
    };
    for (const Case& c : cases) EXPECT_EQ(MediaTypeFromName(c.name), c.type) << c.name;
    EXPECT_EQ(MediaTypeName(kMediaPlaylistFolder), "playlist folder");
    EXPECT_EQ(MediaTypeName(15), "");

    // Applied only when the element has text; an unknown name reads as undefined.
    int32_t type = kMediaVideo;
    ReadMediaTypeElement("<type/>", "type", type);
    EXPECT_EQ(type, kMediaVideo);
    ReadMediaTypeElement("<type>song</type>", "type", type);
    EXPECT_EQ(type, kMediaUndefined);
}

TEST(Bodies, StringListsSkipEmptyEntriesAndStopAtTheFirstGap) {
    struct Case {
        const char* doc;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"<R>\n<genre>Rock</genre>\n<genre/>\n<genre>Jazz</genre></R>", {"Rock", "Jazz"}},
        {"<R><genre>a &amp; b</genre><genre>c</genre></R>", {"a & b", "c"}},
        // An entry written with an empty pair ends the walk.
        {"<R><genre>a</genre><genre></genre><genre>c</genre></R>", {"a"}},
        // A spaced start tag is found before any plain one, so "a" is never reached.
        {"<R><genre>a</genre><genre id=\"2\">b</genre><genre>c</genre></R>", {"b", "c"}},
        {"<R><genreName>x</genreName></R>", {}},
        {"<R/>", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadStringList(c.doc, "genre"), c.entries) << c.doc;

    CBrowseGenresResponse response(msg::BrowseGenresResponse);
    response.Body().names = {"Rock", "", "Jazz"};
    CBrowseGenresResponse read(msg::BrowseGenresResponse);
    read.FromXml(response.ToXml());
    EXPECT_EQ(read.Body().names, (std::vector<std::string>{"Rock", "Jazz"}));
}

TEST(Bodies, MediaSelectorTakesItsMediaTypeFromEitherName) {
    struct Case {
        const char* doc;
        int32_t mediaType;
    };
    const Case cases[] = {
        {"<PlayMediaRequest>\n<mediaType>video</mediaType>\n</PlayMediaRequest>", kMediaVideo},
        {"<PlayMediaRequest>\n<type>tv series</type>\n</PlayMediaRequest>", kMediaTVSeries},
        {"<PlayMediaRequest><type>music</type><mediaType>radio</mediaType></PlayMediaRequest>",
         kMediaRadio},
        {"<PlayMediaRequest><mediaType>Album</mediaType></PlayMediaRequest>", kMediaAlbum},
        {"<PlayMediaRequest><mediaType>song</mediaType></PlayMediaRequest>", kMediaUndefined},
        {"<PlayMediaRequest><artist>A</artist></PlayMediaRequest>", kMediaUndefined},
    };
    for (const Case& c : cases) {
        CPlayMediaRequest request(msg::PlayMediaRequest);
        request.FromXml(c.doc);
        EXPECT_EQ(request.Body().mediaType, c.mediaType) << c.doc;
    }

    // What a client writes reaches the server whole.
    CPlaylistAddRequest sent(msg::PlaylistAddRequest);
    sent.Body().selector.mediaType = kMediaPlaylist;
    sent.Body().selector.genre = "Rock";
    CPlaylistAddRequest received(msg::PlaylistAddRequest);
    received.FromXml(sent.ToXml());
    EXPECT_EQ(received.Body().selector.mediaType, kMediaPlaylist);
    EXPECT_EQ(received.Body().selector.genre, "Rock");
    EXPECT_EQ(received.Body().position, -1);
}

TEST(Bodies, MissingFieldsTakeTheReadingDefaults) {
    CVersionInformation info(msg::VersionInformation);
    info.FromXml(
        "<VersionInformation><Version>2.1</Version><UpdateURL>x.cab</UpdateURL>"
        "</VersionInformation>");
    CVersionInfoBody expected;
    expected.version = "2.1";
    expected.updateURL = "x.cab";
    EXPECT_EQ(info.Body(), expected);

    CMediaSearchRequest search(msg::MediaSearchRequest);
    search.FromXml("<MediaSearchRequest><type>song</type></MediaSearchRequest>");
    EXPECT_EQ(search.Body(), CSearchQuery{});

    CEqResponse eq(msg::GetEqResponse);
    eq.FromXml("<GetEqResponse><band10>4</band10></GetEqResponse>");
    EXPECT_EQ(eq.Body().bands[9], 4);
    EXPECT_EQ(eq.Body().bands[0], -1);
    EXPECT_EQ(eq.ReturnCode(), -1);
    EXPECT_EQ(eq.RequestId(), -1);

    // Playlist items: start is written, but only totalCount and the items come back.
    CPlaylistItemsResponse items(msg::GetPlaylistItemsResponse);
    items.FromXml("<R><start>5</start><totalCount>9</totalCount><item>a</item></R>");
    EXPECT_EQ(items.Body().start, -1);
    EXPECT_EQ(items.Body().totalCount, 9);

    CErrorDetailsResponse details;
    details.FromXml(CErrorDetailsResponse().ToXml());
    EXPECT_EQ(details.ReturnCode(), -1);
}

TEST(Bodies, ResultListEntriesAreReadFromTheirOwnText) {
    // Fields of one entry never leak into the next.
    CMediaSearchResponse response(msg::MediaSearchResponse);
    response.FromXml(
        "<MediaSearchResponse><count>2</count><result><id>3</id><type>album</type>"
        "<name>A</name></result><result><name>B</name></result></MediaSearchResponse>");
    ASSERT_EQ(response.Body().results.size(), 2u);
    EXPECT_EQ(response.Body().results[1].id, -1);
    EXPECT_EQ(response.Body().results[1].type, kMediaUndefined);
    EXPECT_EQ(response.Body().paging.count, 2);

    // An id of 0 is not written, so it reads back as -1.
    CBrowseLibraryResponse listing(msg::BrowseLibraryResponse);
    listing.Body().path = "\\Music";
    listing.Body().results = {{0, kMediaFolder, "Genres", "\\Music\\Genres"}};
    CBrowseLibraryResponse read(msg::BrowseLibraryResponse);
    read.FromXml(listing.ToXml());
    EXPECT_EQ(read.Body().results[0].id, -1);
    EXPECT_EQ(read.Body().path, "\\Music");
}

TEST(Bodies, ResultCodeDescriptions) {
    struct Case {
        int32_t code;
        const char* text;
    };
    const Case cases[] = {
        {0, "Success"},
        {10, "The message was invalid"},
        {22, "The specified path or media item was not found within the media library"},
        {102, "There was an error communicating with the media player"},
        {121,
         "The requested operation is successful, but will not function correctly until the "
         "system is rebooted"},
        {123, "There is no album art available for the specified media item"},
        {501,
         "The main application was unable to established a connection to the MCE helper "
         "add-in"},
        {502, "The specified button was not found - check the button definition XML file"},
        {-1, "Unknown error"},
        {9, "Unknown error"},
        {23, "Unknown error"},
        {99, "Unknown error"},
        {124, "Unknown error"},
        {499, "Unknown error"},
        {503, "Unknown error"},
    };
    for (const Case& c : cases) EXPECT_EQ(DescribeResultCode(c.code), c.text) << c.code;
}

}  // namespace
}  // namespace vantor
