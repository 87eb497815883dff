// The library paths' rules that no server listing reaches easily: doubled separators, the
// numeric form, titles of odd paths, the breadcrumb's limit, and what the context menu's
// requests name.

#include <gtest/gtest.h>

#include "client/library/LibraryPaths.h"
#include "protocol/MessageType.h"

namespace vantor::client {
namespace {

TEST(LibraryPaths, OpeningRowsBuildsFoldedPaths) {
    LibraryRow artist{-1, kMediaArtist, "Ann"};
    EXPECT_EQ(OpenPath("\\Music\\Artists", artist, false), "\\Music\\Artists\\Ann");
    EXPECT_EQ(OpenPath("\\Music\\Artists\\", artist, false), "\\Music\\Artists\\Ann");
    EXPECT_EQ(OpenPath("\\Music\\Search\\an", artist, true), "\\Music\\Artists\\Ann");
    LibraryRow folder{-1, kMediaPlaylistFolder, "Road"};
    EXPECT_EQ(OpenPath("\\Music\\Search\\ro", folder, true), "\\Music\\Playlists\\Road");
    LibraryRow numbered{-1, kMediaFolder, ""};
    numbered.number = 12;
    EXPECT_EQ(OpenPath("\\Radio", numbered, false), "\\Radio\\12");
    EXPECT_FALSE(CanOpen(LibraryRow{5, kMediaMusic, "Song"}));
    LibraryRow info{-1, kMediaInfo, kIndexingText};
    info.info = true;
    EXPECT_FALSE(CanOpen(info));
}

TEST(LibraryPaths, TitlesAndBreadcrumb) {
    EXPECT_EQ(ListingTitle("\\Music"), "Media Library");
    EXPECT_EQ(ListingTitle("\\"), "Media Library");
    EXPECT_EQ(ListingTitle("\\Music\\Search\\x"), "Search Results");
    EXPECT_EQ(ListingTitle("\\Music\\Artists\\Ann\\"), "Ann");
    std::string deep = "\\Music";
    for (int i = 0; i < 80; ++i) deep += "\\F" + std::to_string(i);
    const std::vector<std::string> crumbs = BreadcrumbEntries(deep);
    EXPECT_EQ(crumbs.size(), kBreadcrumbLimit);
    EXPECT_EQ(crumbs[1], "Music");
    EXPECT_EQ(BreadcrumbPath("\\Music\\Artists\\Ann", 2), "\\Music\\Artists");
    EXPECT_EQ(BreadcrumbPath("\\Music\\Artists\\Ann", 0), "\\Music");
}

TEST(LibraryPaths, ContextMenuSelectors) {
    EXPECT_EQ(RowSelector("\\Music\\Genres\\Rock", LibraryRow{-1, kMediaArtist, "Ann"}).libPath,
              "\\Music\\Artists\\Ann");
    // An album under an artist is that artist's album, not every album of its name; in the
    // albums' own listing the name is the album.
    EXPECT_EQ(RowSelector("\\Music\\Artists\\Ann", LibraryRow{-1, kMediaAlbum, "Hits"}).libPath,
              "\\Music\\Artists\\Ann\\Hits");
    EXPECT_EQ(RowSelector("\\Music\\Albums", LibraryRow{-1, kMediaAlbum, "Hits"}).libPath,
              "\\Music\\Albums\\Hits");
    // "All Tracks" stands for the listing it heads.
    EXPECT_EQ(
        RowSelector("\\Music\\Artists\\Ann", LibraryRow{-1, kMediaAlbum, "All Tracks"}).libPath,
        "\\Music\\Artists\\Ann\\All Tracks");
    const CMediaSelector track =
        RowSelector("\\Music\\Search\\so", LibraryRow{42, kMediaMusic, "So"});
    EXPECT_EQ(track.id, 42);
    EXPECT_TRUE(track.libPath.empty());
    EXPECT_EQ(RowSelector("\\Music", LibraryRow{-1, kMediaFolder, "Tracks"}).libPath,
              "\\Music\\Tracks");
}

}  // namespace
}  // namespace vantor::client
