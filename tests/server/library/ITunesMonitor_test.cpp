#include "server/core/ConfigStore.h"
#include "server/library/readers/itunes/ITunesMediaReader.h"
#include "tests/server/library/LibraryTestSupport.h"
#include "tests/server/library/ReaderTestSupport.h"
#include "tools/itunes-gen/ITunesLibraryWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vantor {
namespace {

using test::CollectingOwner;

// The folder watch: saving the library after only playing songs changes play lines only.
TEST(ITunesReaderThreaded, OnlyRealChangesAskForAnUpdate) {
    test::TempFolder data;
    test::TempFolder music;
    std::string path = music.File("iTunes Music Library.xml");
    tools::ITunesLibraryOptions options;
    options.tracks = 200;
    options.crlf = false;
    ASSERT_TRUE(tools::WriteITunesLibraryFile(options, path));
    test::TestLogger log;
    CConfigStore config(data.Path());
    CollectingOwner owner;
    CITunesMediaReader reader(log.logger, config, path);
    reader.SetOwner(&owner);
    ASSERT_EQ(reader.Read(), 0);

    auto waitFor = [&](int wanted) {
        for (int i = 0; i < 100 && owner.updates.load() < wanted; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    };
    options.playCountOffset = 3;  // every play count and play date changes
    ASSERT_TRUE(tools::WriteITunesLibraryFile(options, path));
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_EQ(owner.updates.load(), 0);

    options.tracks = 201;
    ASSERT_TRUE(tools::WriteITunesLibraryFile(options, path));
    waitFor(1);
    EXPECT_GE(owner.updates.load(), 1);
}

}  // namespace
}  // namespace vantor
