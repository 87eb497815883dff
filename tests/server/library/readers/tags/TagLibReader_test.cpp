// The tag reader over generated files: an ID3v2 MP3 folder with non-ASCII tags, a FLAC file
// with Cyrillic tags and a front cover, an untagged file, a damaged file and files that are
// not audio at all.

#include "protocol/MediaItem.h"
#include "server/core/Logger.h"
#include "server/library/readers/tags/EmbeddedPicture.h"
#include "server/library/readers/tags/TagLibMediaReader.h"
#include "tests/server/library/ReaderTestSupport.h"
#include "tests/support/MusicFolder.h"
#include "tests/support/QrmProcess.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vantor {
namespace {

using test::CMusicFolder;
using test::CTempFolder;
using test::ReadFileText;

class TagLibReaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(CMusicFolder::Shared().Ok()) << "ffmpeg could not generate the music folder";
        s_extra = new CTempFolder("vantor-tags");
        const std::string dir = s_extra->Path();
        std::filesystem::create_directories(dir + "/flac");
        // FLAC with Cyrillic tags and the red cover as its front picture.
        ASSERT_TRUE(test::RunCommand(
            {"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=2",
             "-i", FolderCoverPng(), "-map", "0", "-map", "1", "-c:a", "flac", "-c:v", "png",
             "-disposition:v", "attached_pic", "-metadata", "title=Песня", "-metadata",
             "artist=Ансамбль", "-metadata", "album=Вечер", "-metadata", "genre=(8)",
             "-metadata", "track=4/9", dir + "/flac/song.flac"}));
        test::WriteFileText(dir + "/flac/notes.txt", "not audio");
        test::WriteFileText(dir + "/flac/broken.mp3", std::string(4096, '\x55'));
    }
    static void TearDownTestSuite() {
        delete s_extra;
        s_extra = nullptr;
    }
    // ffmpeg needs the cover as a file; the shared folder keeps only its bytes.
    static std::string FolderCoverPng() {
        static const std::string path = [] {
            static CTempFolder folder("vantor-cover");
            const std::string file = folder.Path() + "/cover.png";
            test::WriteFileText(file, CMusicFolder::Shared().EmbeddedCover());
            return file;
        }();
        return path;
    }

    static CTempFolder* s_extra;
    CLogger m_logger;
};

CTempFolder* TagLibReaderTest::s_extra = nullptr;

TEST_F(TagLibReaderTest, ReadsEveryTrackOfTheFolderWithItsTags) {
    const CMusicFolder& music = CMusicFolder::Shared();
    CTagLibMediaReader reader(m_logger, music.Root());
    test::CollectingOwner owner;
    reader.SetOwner(&owner);
    ASSERT_EQ(reader.Read(), 0);
    ASSERT_EQ(owner.items.size(), music.Tracks().size());

    for (const auto& generated : music.Tracks()) {
        const std::string path = music.AbsolutePath(generated);
        const CMusicItem* track = nullptr;
        for (const auto& item : owner.items) {
            if (item->path == path) track = dynamic_cast<const CMusicItem*>(item.get());
        }
        ASSERT_NE(track, nullptr) << path;
        EXPECT_EQ(track->length, generated.seconds) << path;
        if (generated.title.empty()) {  // the untagged file
            EXPECT_EQ(track->name, "field recording.mp3");
            EXPECT_EQ(track->artist, "Unknown Artist");
            EXPECT_EQ(track->album, "Unknown Album");
            EXPECT_EQ(track->genre, "Unknown Genre");
            EXPECT_EQ(track->trackNumber, "");
            continue;
        }
        EXPECT_EQ(track->name, generated.title);
        EXPECT_EQ(track->artist, generated.artist);
        EXPECT_EQ(track->album, generated.album);
        EXPECT_EQ(track->genre, generated.genre);
    }
    const auto* secondWind = owner.Find<CMusicItem>("Second Wind");
    ASSERT_NE(secondWind, nullptr);
    EXPECT_EQ(secondWind->trackNumber, "02");  // "2/12"
    const auto* strasse = owner.Find<CMusicItem>("Straße");
    ASSERT_NE(strasse, nullptr);
    EXPECT_EQ(strasse->artist, "Kōji Ōta");
    EXPECT_EQ(strasse->album, "Über Wellen");
}

TEST_F(TagLibReaderTest, FlacTagsAndDamagedOrForeignFiles) {
    CTagLibMediaReader reader(m_logger, s_extra->Path());
    test::CollectingOwner owner;
    reader.SetOwner(&owner);
    ASSERT_EQ(reader.Read(), 0);
    // The damaged MP3 is skipped, the text file never looked at.
    ASSERT_EQ(owner.items.size(), 1u);
    const auto* song = dynamic_cast<const CMusicItem*>(owner.items[0].get());
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->name, "Песня");
    EXPECT_EQ(song->artist, "Ансамбль");
    EXPECT_EQ(song->album, "Вечер");
    EXPECT_EQ(song->genre, "Jazz");
    EXPECT_EQ(song->trackNumber, "04");
    EXPECT_EQ(song->length, 2);

    CTagLibMediaReader missing(m_logger, s_extra->Path() + "/no-such-folder");
    missing.SetOwner(&owner);
    EXPECT_EQ(missing.Read(), -1);
}

TEST_F(TagLibReaderTest, EmbeddedPictures) {
    const CMusicFolder& music = CMusicFolder::Shared();
    const size_t limit = 1 << 20;
    EXPECT_EQ(ReadEmbeddedPicture(music.AbsolutePath(music.Find("Late Set")), limit),
              music.EmbeddedCover());
    EXPECT_EQ(ReadEmbeddedPicture(s_extra->Path() + "/flac/song.flac", limit),
              music.EmbeddedCover());
    EXPECT_EQ(ReadEmbeddedPicture(music.AbsolutePath(music.Find("Opening")), limit), "");
    EXPECT_EQ(ReadEmbeddedPicture(s_extra->Path() + "/flac/broken.mp3", limit), "");
    EXPECT_EQ(ReadEmbeddedPicture(s_extra->Path() + "/flac/missing.ogg", limit), "");
    // A picture past the bound is refused rather than copied.
    EXPECT_EQ(ReadEmbeddedPicture(music.AbsolutePath(music.Find("Late Set")), 10), "");
}

}  // namespace
}  // namespace vantor
