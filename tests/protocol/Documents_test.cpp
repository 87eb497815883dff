#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "protocol/Messages.h"
#include "protocol/ResultCodes.h"

namespace vantor {
namespace {

struct DocumentCase {
    const char* what;
    std::function<std::unique_ptr<CMessage>()> build;
    const char* document;
};

const DocumentCase kDocuments[] = {
    {"SetVolumeRequest as sent",
     [] {
         auto m = std::make_unique<CVolumeRequest>(msg::SetVolumeRequest);
         m->SetRequestId(7);
         m->Body().volume = 40;
         return m;
     },
     "<SetVolumeRequest>\n<requestId>7</requestId>\n<volume>40</volume>\n</SetVolumeRequest>"},
    {"GetCurrentMediaResponse for a radio stream without album, length or rating",
     [] {
         auto m = std::make_unique<CCurrentMediaResponse>(msg::GetCurrentMediaResponse);
         m->SetRequestId(9);
         m->SetReturnCode(kResultSuccess);
         m->Body().type = kMediaRadio;
         m->Body().artist = "Jazz & Soul";
         m->Body().channel = 3;
         m->Body().title = "Night <Live>";
         return m;
     },
     "<GetCurrentMediaResponse>\n<requestId>9</requestId>\n<returnCode>0</returnCode>"
     "\n<type>radio</type>\n<artist>Jazz &amp; Soul</artist>\n<channel>3</channel>"
     "\n<title>Night &lt;Live&gt;</title>\n</GetCurrentMediaResponse>"},
    {"GetErrorDetailsResponse has no returnCode",
     [] {
         auto m = std::make_unique<CErrorDetailsResponse>();
         m->SetRequestId(4);
         m->SetReturnCode(kResultSuccess);
         m->Body().description = DescribeResultCode(kResultLibraryPathNotFound);
         return m;
     },
     "<GetErrorDetailsResponse>\n<requestId>4</requestId>\n<description>The specified path or "
     "media item was not found within the media library</description>"
     "\n</GetErrorDetailsResponse>"},
    {"a response always carries returnCode, a request without id no requestId",
     [] { return std::make_unique<CResponseMessage>(msg::PlayResponse); },
     "<PlayResponse>\n<returnCode>-1</returnCode>\n</PlayResponse>"},
    {"request without requestId",
     [] { return std::make_unique<CRequestMessage>(msg::PlayRequest); },
     "<PlayRequest>\n</PlayRequest>"},
    {"BrowseLibraryResponse: an entry with id 0 has no id element",
     [] {
         auto m = std::make_unique<CBrowseLibraryResponse>(msg::BrowseLibraryResponse);
         m->SetRequestId(1);
         m->SetReturnCode(kResultSuccess);
         m->Body().paging.count = 2;
         m->Body().paging.totalCount = 2;
         m->Body().path = "\\Music";
         m->Body().results = {{0, kMediaFolder, "Genres", "\\Music\\Genres"},
                              {5, kMediaMusic, "Song", ""}};
         return m;
     },
     "<BrowseLibraryResponse>\n<requestId>1</requestId>\n<returnCode>0</returnCode>"
     "\n<count>2</count>\n<totalCount>2</totalCount>\n<path>\\Music</path>"
     "\n<result>\n<type>folder</type>\n<name>Genres</name>\n<path>\\Music\\Genres</path>"
     "\n</result>\n<result>\n<id>5</id>\n<type>music</type>\n<name>Song</name>\n</result>"
     "\n</BrowseLibraryResponse>"},
    {"MediaSearchResponse: an entry with id 0 keeps its id element",
     [] {
         auto m = std::make_unique<CMediaSearchResponse>(msg::MediaSearchResponse);
         m->SetReturnCode(kResultSuccess);
         m->Body().paging.start = 0;
         m->Body().results = {{0, kMediaArtist, "Abba"}, {-1, kMediaTVSeries, ""}};
         return m;
     },
     "<MediaSearchResponse>\n<returnCode>0</returnCode>\n<start>0</start>"
     "\n<result>\n<id>0</id>\n<type>artist</type>\n<name>Abba</name>\n</result>"
     "\n<result>\n<type>tv series</type>\n<name/>\n</result>\n</MediaSearchResponse>"},
    {"GetEqResponse names its bands band1 to band10",
     [] {
         auto m = std::make_unique<CEqResponse>(msg::GetEqResponse);
         m->SetRequestId(2);
         m->SetReturnCode(kResultSuccess);
         m->Body().enabled = true;
         m->Body().preamp = -3;
         m->Body().bands = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
         return m;
     },
     "<GetEqResponse>\n<requestId>2</requestId>\n<returnCode>0</returnCode>"
     "\n<enabled>true</enabled>\n<autoLoad>false</autoLoad>\n<preamp>-3</preamp>"
     "\n<band1>1</band1>\n<band2>2</band2>\n<band3>3</band3>\n<band4>4</band4>"
     "\n<band5>5</band5>\n<band6>6</band6>\n<band7>7</band7>\n<band8>8</band8>"
     "\n<band9>9</band9>\n<band10>10</band10>\n</GetEqResponse>"},
    {"VersionInformation writes all eight elements",
     [] {
         auto m = std::make_unique<CVersionInformation>(msg::VersionInformation);
         m->Body().version = "1.0.3";
         m->Body().updateURL = "pc.cab";
         return m;
     },
     "<VersionInformation>\n<Name/>\n<Version>1.0.3</Version>\n<Action/>\n<Parameters/>"
     "\n<UpdateURL>pc.cab</UpdateURL>\n<InfoURL/>\n<Checksum/>\n<Description/>"
     "\n</VersionInformation>"},
    {"a playing state out of range is written stopped",
     [] {
         auto m = std::make_unique<CPlayingStateEvent>(msg::PlayingStateChangedEvent);
         m->Body().playingState = 9;
         return m;
     },
     "<PlayingStateChangedEvent>\n<playingState>stopped</playingState>"
     "\n</PlayingStateChangedEvent>"},
    {"PlayMediaRequest with an id writes the id only",
     [] {
         auto m = std::make_unique<CPlayMediaRequest>(msg::PlayMediaRequest);
         m->Body().id = 17;
         m->Body().path = "/a.mp3";
         m->Body().title = "T";
         return m;
     },
     "<PlayMediaRequest>\n<id>17</id>\n</PlayMediaRequest>"},
    {"PlayMediaRequest: a path goes before a library path",
     [] {
         auto m = std::make_unique<CPlayMediaRequest>(msg::PlayMediaRequest);
         m->Body().path = "/a.mp3";
         m->Body().libPath = "\\Music";
         return m;
     },
     "<PlayMediaRequest>\n<path>/a.mp3</path>\n</PlayMediaRequest>"},
    {"PlaylistAddRequest query form, no position when -1",
     [] {
         auto m = std::make_unique<CPlaylistAddRequest>(msg::PlaylistAddRequest);
         m->Body().selector.mediaType = kMediaMusic;
         m->Body().selector.artist = "A";
         return m;
     },
     "<PlaylistAddRequest>\n<mediaType>music</mediaType>\n<artist>A</artist>"
     "\n</PlaylistAddRequest>"},
    {"MediaSearchRequest with media type 0 has no type element",
     [] {
         auto m = std::make_unique<CMediaSearchRequest>(msg::MediaSearchRequest);
         m->Body().paging.count = 5;
         m->Body().title = "x";
         return m;
     },
     "<MediaSearchRequest>\n<count>5</count>\n<title>x</title>\n</MediaSearchRequest>"},
    {"BrowseLibraryRequest always writes its path",
     [] {
         auto m = std::make_unique<CBrowseLibraryRequest>(msg::BrowseLibraryRequest);
         m->Body().paging.includeTotalCount = true;
         return m;
     },
     "<BrowseLibraryRequest>\n<includeTotalCount>true</includeTotalCount>\n<path/>"
     "\n</BrowseLibraryRequest>"},
    {"GetPlaylistItemsResponse lists one item per entry, an empty one self-closed",
     [] {
         auto m = std::make_unique<CPlaylistItemsResponse>(msg::GetPlaylistItemsResponse);
         m->SetReturnCode(0);
         m->Body().start = 0;
         m->Body().items = {"1. A", "", "3. C"};
         return m;
     },
     "<GetPlaylistItemsResponse>\n<returnCode>0</returnCode>\n<start>0</start>"
     "\n<item>1. A</item>\n<item/>\n<item>3. C</item>\n</GetPlaylistItemsResponse>"},
};

TEST(Documents, AreWrittenByteForByte) {
    for (const DocumentCase& c : kDocuments) {
        EXPECT_EQ(c.build()->ToXml(), c.document) << c.what;
    }
}

}  // namespace
}  // namespace vantor
