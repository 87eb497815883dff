// Pure pieces of the MPD adapter: change detection between two passes and path mapping.

#include "server/player/mpd/MpdSong.h"
#include "server/player/mpd/MpdState.h"

#include <gtest/gtest.h>

#include <functional>

namespace vantor {
namespace {

CMpdPlayerState Playing(int32_t songId, int32_t pos, int32_t seconds) {
    CMpdPlayerState s;
    s.playingState = kPlaying;
    s.songId = songId;
    s.playlistPosition = pos;
    s.playPosition = seconds;
    s.queueVersion = 7;
    s.volume = 50;
    return s;
}

TEST(MpdStateCompare, PlayPositionFollowsTheThreeSecondRule) {
    struct Case {
        const char* what;
        CMpdPlayerState fresh;
        bool position;
        bool media;
    };
    const CMpdPlayerState cached = Playing(4, 1, 10);
    const Case cases[] = {
        {"playback moving on", Playing(4, 1, 12), false, false},
        {"seek forward by 3", Playing(4, 1, 13), true, false},
        {"seek back by 3", Playing(4, 1, 7), true, false},
        {"next song, same second", Playing(5, 2, 10), true, true},
        {"same song moved in the queue", Playing(4, 0, 11), true, false},
    };
    for (const auto& c : cases) {
        const CMpdChanges changes = CompareMpdStates(cached, c.fresh);
        EXPECT_EQ(changes.playPosition, c.position) << c.what;
        EXPECT_EQ(changes.currentMedia, c.media) << c.what;
        EXPECT_FALSE(changes.volume) << c.what;
    }
}

TEST(MpdStateCompare, EachFieldReportsOnlyItsOwnChange) {
    struct Case {
        const char* what;
        std::function<void(CMpdPlayerState&)> change;
        std::function<bool(const CMpdChanges&)> flag;
    };
    const Case cases[] = {
        {"volume", [](auto& s) { s.volume = 51; }, [](auto& c) { return c.volume; }},
        {"shuffle", [](auto& s) { s.shuffle = true; }, [](auto& c) { return c.shuffle; }},
        {"repeat", [](auto& s) { s.repeat = true; }, [](auto& c) { return c.repeat; }},
        {"state", [](auto& s) { s.playingState = kPaused; },
         [](auto& c) { return c.playingState; }},
        {"queue", [](auto& s) { s.queueVersion = 8; }, [](auto& c) { return c.playlist; }},
    };
    const CMpdPlayerState cached = Playing(4, 1, 10);
    for (const auto& c : cases) {
        CMpdPlayerState fresh = cached;
        c.change(fresh);
        const CMpdChanges changes = CompareMpdStates(cached, fresh);
        const int count = changes.volume + changes.shuffle + changes.repeat + changes.playingState +
                          changes.playlistPosition + changes.currentMedia + changes.playPosition +
                          changes.playlist;
        EXPECT_TRUE(c.flag(changes)) << c.what;
        EXPECT_EQ(count, 1) << c.what;
    }
}

TEST(MpdStateCompare, FirstPassAfterConnectingReportsItemAndPlaylist) {
    const CMpdPlayerState unknown;  // what the monitor holds before MPD answered
    CMpdPlayerState fresh;          // MPD stopped with an empty queue
    fresh.songId = -1;
    fresh.queueVersion = 1;
    const CMpdChanges changes = CompareMpdStates(unknown, fresh);
    EXPECT_TRUE(changes.currentMedia);
    EXPECT_TRUE(changes.playlist);
}

TEST(MpdPaths, MapsBetweenUrisAndFiles) {
    struct Case {
        const char* dir;
        const char* uri;
        const char* path;
    };
    const Case cases[] = {
        {"/srv/music/", "a/b.mp3", "/srv/music/a/b.mp3"},
        {"/srv/music", "Über/Straße.mp3", "/srv/music/Über/Straße.mp3"},
        {"", "a/b.mp3", "a/b.mp3"},  // unknown folder: MPD's URI is the path
        {"/srv/music", "http://radio.example/stream", "http://radio.example/stream"},
    };
    for (const auto& c : cases) {
        CMpdPaths paths(c.dir);
        EXPECT_EQ(paths.ToPath(c.uri), c.path) << c.uri;
        EXPECT_EQ(paths.ToUri(c.path), c.uri) << c.path;
    }
    CMpdPaths paths("/srv/music");
    EXPECT_EQ(paths.ToUri("/srv/musicals/x.mp3"), "file:///srv/musicals/x.mp3");
    EXPECT_EQ(paths.ToUri("/home/u/x.mp3"), "file:///home/u/x.mp3");
}

}  // namespace
}  // namespace vantor
