// The art provider against a real mpd: a cover file in the album folder comes first, then
// the picture embedded in the track; the bytes written are exactly MPD's.

#include "protocol/MediaItem.h"
#include "server/core/Logger.h"
#include "server/player/mpd/MpdArtProvider.h"
#include "tests/server/player/mpd/MpdFixture.h"
#include "tests/support/QrmProcess.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vantor {
namespace {

using test::CMpdInstance;
using test::CMusicFolder;
using test::CTempFolder;
using test::ReadFileText;

TEST(MpdArtProvider, WritesTheFolderCoverOrTheEmbeddedPicture) {
    CMpdInstance* mpd = CMpdInstance::Shared();
    ASSERT_NE(mpd, nullptr);
    const CMusicFolder& music = CMusicFolder::Shared();
    CLogger logger;
    CMpdAddress address;
    address.host = mpd->Host();
    address.port = mpd->Port();
    CMPDArtProvider provider(logger, address, std::make_shared<CMpdPaths>(music.Root()));
    CTempFolder out("vantor-art");

    struct Case {
        const char* track;
        int result;
        std::string bytes;
    };
    const Case cases[] = {
        {"Late Set", 0, music.EmbeddedCover()},  // picture inside the file
        {"Headlights", 0, music.FolderCover()},  // cover.jpg beside it
        {"Opening", -1, ""},                     // neither
    };
    for (const auto& c : cases) {
        CMusicItem item;
        item.path = music.AbsolutePath(music.Find(c.track));
        const std::string target = out.Path() + "/" + c.track + ".jpg";
        EXPECT_EQ(provider.GetAlbumArt(item, target), c.result) << c.track;
        EXPECT_EQ(std::filesystem::exists(target), c.result == 0) << c.track;
        if (c.result == 0) {
            EXPECT_EQ(ReadFileText(target), c.bytes) << c.track;
        }
    }

    CMusicItem missing;
    missing.path = music.Root() + "/no/such.mp3";
    EXPECT_EQ(provider.GetAlbumArt(missing, out.Path() + "/missing.jpg"), -1);
}

}  // namespace
}  // namespace vantor
