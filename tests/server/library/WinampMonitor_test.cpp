#include "server/library/readers/winamp/WinampMediaReader.h"
#include "tests/server/library/LibraryTestSupport.h"
#include "tests/server/library/ReaderTestSupport.h"
#include "tools/winamp-libgen/WinampLibraryWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace vantor {
namespace {

using Clock = std::chrono::steady_clock;

// The folder watch: saving a playlist (playlists.xml grows, in a subfolder) asks for one
// update about two seconds after the writing stops; the update's own lock file, and files
// the library does not use, ask for none.
TEST(WinampReaderThreaded, SavingAPlaylistStartsOneUpdateTwoSecondsLater) {
    test::TempFolder folder;
    tools::WinampLibraryOptions options;
    options.records = 50;
    options.playlists = 4;
    tools::WinampLibraryContent content;
    ASSERT_TRUE(tools::WriteWinampLibrary(options, folder.Path(), &content));
    test::TestLogger log;
    test::CollectingOwner owner;
    CWinampMediaReader reader(log.logger, folder.Path());
    reader.SetOwner(&owner);
    ASSERT_EQ(reader.Read(), 0);

    auto waitFor = [&](int wanted, std::chrono::seconds limit) {
        const auto until = Clock::now() + limit;
        while (owner.updates.load() < wanted && Clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return owner.updates.load() >= wanted;
    };

    std::ofstream(folder.File("winamp.ini")) << "[Winamp]\r\nvolume=200\r\n";
    ASSERT_EQ(reader.Read(), 0);  // the update's lock file comes and goes
    EXPECT_FALSE(waitFor(1, std::chrono::seconds(4)));

    auto playlists = content.playlists;
    playlists.resize(options.playlists);
    playlists.push_back({"Saved Now", folder.File("Plugins/ml/playlists/plfNEW.m3u8")});
    std::ofstream(playlists.back().path) << "#EXTM3U\r\n";
    const auto saved = Clock::now();
    ASSERT_TRUE(tools::WriteWinampPlaylistsXml(folder.File("Plugins/ml/playlists/playlists.xml"),
                                               playlists));
    ASSERT_TRUE(waitFor(1, std::chrono::seconds(20)));
    EXPECT_GE(Clock::now() - saved, std::chrono::milliseconds(1900));
    ASSERT_EQ(reader.Read(), 0);
    EXPECT_FALSE(waitFor(2, std::chrono::seconds(4)));
    EXPECT_NE(owner.Find<CPlaylistItem>("Saved Now"), nullptr);
}

}  // namespace
}  // namespace vantor
