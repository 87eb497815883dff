#include "protocol/MediaItem.h"

#include <gtest/gtest.h>

#include <functional>

namespace vantor {
namespace {

TEST(MediaItem, NewAndClearedItemsHaveTheDefaultsAndKeepTheirType) {
    CMusicItem music;
    music.id = 4;
    music.name = "Song";
    music.length = 200;
    music.rating = 80;
    music.genre = "Rock";
    music.trackNumber = "07";
    music.Clear();
    EXPECT_EQ(music, CMusicItem());
    EXPECT_EQ(music.mediaType, kMediaMusic);
    EXPECT_EQ(music.id, -1);
    EXPECT_EQ(music.length, -1);
    EXPECT_EQ(music.rating, -1);
    EXPECT_TRUE(music.genre.empty() && music.artist.empty() && music.album.empty() &&
                music.trackNumber.empty());

    CTVItem tv;
    tv.series = "News";
    tv.channelName = "One";
    tv.Clear();
    EXPECT_EQ(tv.mediaType, kMediaTV);
    EXPECT_TRUE(tv.series.empty() && tv.channelName.empty());

    CPlaylistItem list;
    list.parentId = 3;
    list.children.push_back(std::make_unique<CPlaylistItem>());
    list.Clear();
    EXPECT_EQ(list.parentId, -1);
    EXPECT_FALSE(list.IsFolder());
    EXPECT_EQ(CRadioStationItem().mediaType, kMediaRadio);
    EXPECT_EQ(CVideoItem().mediaType, kMediaVideo);
}

TEST(MediaItem, EqualityComparesTheBaseFieldsAndTheMusicTexts) {
    struct Case {
        const char* what;
        std::function<void(CMusicItem&)> change;
    };
    const Case cases[] = {
        {"id", [](CMusicItem& m) { m.id = 2; }},
        {"path", [](CMusicItem& m) { m.path = "/b.mp3"; }},
        {"name", [](CMusicItem& m) { m.name = "B"; }},
        {"length", [](CMusicItem& m) { m.length = 9; }},
        {"rating", [](CMusicItem& m) { m.rating = 9; }},
        {"genre", [](CMusicItem& m) { m.genre = "Jazz"; }},
        {"artist", [](CMusicItem& m) { m.artist = "X"; }},
        {"album", [](CMusicItem& m) { m.album = "Other"; }},
        {"track number", [](CMusicItem& m) { m.trackNumber = "02"; }},
    };
    CMusicItem base;
    base.id = 1;
    base.path = "/a.mp3";
    base.name = "A";
    base.album = "Album";
    for (const Case& c : cases) {
        CMusicItem changed(base);
        EXPECT_EQ(changed, base) << c.what;
        c.change(changed);
        EXPECT_NE(changed, base) << c.what;
    }

    // Only the music texts take part beyond the six base fields.
    CVideoItem a, b;
    a.genre = "Drama";
    EXPECT_EQ(a, b);
    // A music item never equals a plain item, whichever side asks.
    CMediaItem plain(kMediaMusic);
    EXPECT_NE(plain, CMusicItem());
    EXPECT_NE(CMusicItem(), plain);
}

TEST(MediaItem, CopiesAndClonesCarryChildrenAndClass) {
    CPlaylistItem folder;
    folder.name = "Folder";
    auto child = std::make_unique<CPlaylistItem>();
    child->name = "Child";
    child->children.push_back(std::make_unique<CPlaylistItem>());
    folder.children.push_back(std::move(child));
    ASSERT_TRUE(folder.IsFolder());

    CPlaylistItem copy(folder);
    ASSERT_EQ(copy.children.size(), 1u);
    EXPECT_NE(copy.children[0].get(), folder.children[0].get());
    EXPECT_EQ(copy.children[0]->name, "Child");
    EXPECT_TRUE(copy.children[0]->IsFolder());

    std::unique_ptr<CMediaItem> clone = folder.Clone();
    auto* cloned = dynamic_cast<CPlaylistItem*>(clone.get());
    ASSERT_NE(cloned, nullptr);
    EXPECT_EQ(cloned->children.size(), 1u);

    CRadioStationItem station;
    station.children.push_back(std::make_unique<CRadioStationItem>());
    CRadioStationItem assigned;
    assigned = station;
    EXPECT_TRUE(assigned.IsFolder());

    CMusicItem music;
    music.artist = "Artist";
    EXPECT_EQ(*music.Clone(), music);
}

}  // namespace
}  // namespace vantor
