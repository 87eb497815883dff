// The pieces of the MPRIS adapter that decide what a client sees, without a bus: reading a
// player's metadata (players differ in types), file URLs, volume, the change rules, and
// which bus names are players to follow.

#include "server/player/mpris/MprisConfig.h"
#include "server/player/mpris/MprisState.h"
#include "server/player/mpris/MprisTrack.h"
#include "tests/support/MusicFolder.h"
#include "tests/support/QrmProcess.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

CBusValue Text(const std::string& text) {
    CBusValue v;
    v.kind = CBusValue::kText;
    v.text = text;
    return v;
}

CBusValue Texts(std::vector<std::string> texts) {
    CBusValue v;
    v.kind = CBusValue::kTexts;
    v.texts = std::move(texts);
    return v;
}

CBusValue Integer(int64_t n) {
    CBusValue v;
    v.kind = CBusValue::kInteger;
    v.integer = n;
    return v;
}

CBusValue Real(double d) {
    CBusValue v;
    v.kind = CBusValue::kReal;
    v.real = d;
    return v;
}

TEST(MprisTrack, MetadataAsPlayersSendIt) {
    CBusValue metadata;
    metadata.kind = CBusValue::kDict;
    metadata.entries = {{"mpris:trackid", Text("/org/mpv/Track/3")},
                        {"xesam:title", Text("Straße")},
                        {"xesam:artist", Texts({"Kōji Ōta", "Mira"})},
                        {"xesam:album", Text("Über Wellen")},
                        {"xesam:genre", Text("(17)")},  // a list in the standard, a text in mpv
                        {"mpris:length", Integer(30035918)},
                        {"xesam:trackNumber", Integer(3)},
                        {"xesam:userRating", Real(0.8)},
                        {"xesam:url", Text("file:///music/%C3%9Cber%20Wellen/03.mp3")},
                        {"xesam:comment", Texts({"ignored"})}};
    const CMprisTrack track = TrackFromMetadata(metadata);
    const auto item = TrackToMusicItem(track);
    EXPECT_EQ(item->name, "Straße");
    EXPECT_EQ(item->artist, "Kōji Ōta, Mira");
    EXPECT_EQ(item->album, "Über Wellen");
    EXPECT_EQ(item->genre, "Rock");
    EXPECT_EQ(item->trackNumber, "03");
    EXPECT_EQ(item->length, 30);
    EXPECT_EQ(item->rating, 80);
    EXPECT_EQ(item->path, "/music/Über Wellen/03.mp3");
    EXPECT_EQ(TrackDisplayTitle(track), "Kōji Ōta, Mira - Straße");

    // Wrong kinds are ignored, not misread; a track without a title shows its file name.
    metadata.entries = {{"xesam:title", Integer(5)},
                        {"mpris:length", Text("long")},
                        {"xesam:artist", Text("Solo")},
                        {"xesam:url", Text("file:///music/a%20b.flac")}};
    const auto bare = TrackToMusicItem(TrackFromMetadata(metadata));
    EXPECT_EQ(bare->name, "a b.flac");
    EXPECT_EQ(bare->artist, "Solo");
    EXPECT_EQ(bare->length, -1);
    EXPECT_EQ(bare->rating, 0);
}

TEST(MprisTrack, FileUrlsBothWays) {
    // A player that does not escape its paths: a file whose name looks escaped is kept.
    test::CTempFolder folder("vantor-url");
    const std::string literal = folder.Path() + "/100%25 pure.mp3";
    ASSERT_TRUE(test::WriteFileText(literal, "x"));
    EXPECT_EQ(PathFromUrl("file://" + literal), literal);
    EXPECT_EQ(PathFromUrl("file://localhost/a/b%20c"), "/a/b c");
    EXPECT_EQ(PathFromUrl("https://radio.example/stream"), "https://radio.example/stream");
    EXPECT_EQ(UrlFromPath("/m/Über Wellen/#1.mp3"), "file:///m/%C3%9Cber%20Wellen/%231.mp3");
    EXPECT_EQ(UrlFromPath("http://host/x"), "http://host/x");
    EXPECT_EQ(PathFromUrl(UrlFromPath("/m/a%b ü?.mp3")), "/m/a%b ü?.mp3");
}

TEST(MprisState, VolumeAndChangeRules) {
    EXPECT_EQ(VolumeFromMpris(0.355), 36);
    EXPECT_EQ(VolumeFromMpris(1.5), 100);  // players may go past 1.0
    EXPECT_EQ(VolumeFromMpris(-0.2), 0);
    EXPECT_DOUBLE_EQ(VolumeToMpris(35), 0.35);
    EXPECT_DOUBLE_EQ(VolumeToMpris(250), 1.0);

    CMprisPlayerState cached;
    cached.playingState = kPlaying;
    cached.track.trackId = "/t/1";
    cached.track.title = "One";
    cached.positionUs = 10000000;
    CMprisPlayerState fresh = cached;
    fresh.positionUs = 12900000;  // playback going on, not a jump
    EXPECT_FALSE(CompareMprisStates(cached, fresh).playPosition);
    fresh.positionUs = 13000000;
    EXPECT_TRUE(CompareMprisStates(cached, fresh).playPosition);

    // Without a track list the current item is the playlist: a new item changes both.
    fresh = cached;
    fresh.track.trackId = "/t/2";
    const CMprisChanges changes = CompareMprisStates(cached, fresh);
    EXPECT_TRUE(changes.currentMedia);
    EXPECT_TRUE(changes.playlist);
    EXPECT_TRUE(changes.playPosition);
    EXPECT_FALSE(changes.playlistPosition);
    EXPECT_EQ(fresh.PlaylistTitles(), std::vector<std::string>{"One"});

    // With one, the position follows the current track id in the list.
    fresh.hasTrackList = true;
    fresh.tracks.resize(3);
    fresh.tracks[2].trackId = "/t/2";
    EXPECT_EQ(fresh.PlaylistPosition(), 2);
    EXPECT_EQ(fresh.TrackIdAt(3), "");
    EXPECT_TRUE(CompareMprisStates(cached, fresh).playlistPosition);

    BusDict properties = {{"PlaybackStatus", Text("Paused")},
                          {"LoopStatus", Text("Track")},
                          {"Volume", Real(0.2)},
                          {"Shuffle", Text("yes")}};  // wrong kind: left as it was
    ApplyPlayerProperties(properties, fresh);
    EXPECT_EQ(fresh.playingState, kPaused);
    EXPECT_TRUE(fresh.repeat);
    EXPECT_EQ(fresh.volume, 20);
    EXPECT_FALSE(fresh.shuffle);
}

TEST(MprisConfig, WhichNamesArePlayersToFollow) {
    const std::vector<std::string> names = {
        ":1.4", "org.freedesktop.DBus", "org.mpris.MediaPlayer2.vlc.instance42",
        "org.mpris.MediaPlayer2.mpv", "org.mpris.MediaPlayer2.vlcx"};
    CMprisAddress any;
    EXPECT_EQ(MprisCandidates(any, names),
              (std::vector<std::string>{"org.mpris.MediaPlayer2.mpv",
                                        "org.mpris.MediaPlayer2.vlc.instance42",
                                        "org.mpris.MediaPlayer2.vlcx"}));
    CMprisAddress vlc;
    vlc.player = "vlc";
    EXPECT_EQ(MprisCandidates(vlc, names),
              std::vector<std::string>{"org.mpris.MediaPlayer2.vlc.instance42"});
    vlc.player = "org.mpris.MediaPlayer2.mpv";
    EXPECT_EQ(MprisCandidates(vlc, names), std::vector<std::string>{"org.mpris.MediaPlayer2.mpv"});
}

}  // namespace
}  // namespace vantor
