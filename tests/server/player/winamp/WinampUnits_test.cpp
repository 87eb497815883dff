// Conversions and parsing that need no Winamp.

#include "server/player/Player.h"
#include "server/player/winamp/WinampEq.h"
#include "server/player/winamp/WinampPlayer.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(WinampEqConversion, InterfaceValuesSurviveTheRoundTrip) {
    struct Case {
        int32_t value;
        int32_t raw;
    };
    for (const Case& c : {Case{100, 0}, Case{-100, 63}, Case{0, 32}}) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(winamp::EqRawFromValue(c.value), c.raw);
        EXPECT_EQ(winamp::EqValueFromRaw(c.raw), c.value);
    }
}

TEST(WinampEqConversion, RawMiddleValuesReadNearFlat) {
    // 32 is exactly flat; 31, its neighbour on the boost side, reads as a small boost.
    EXPECT_EQ(winamp::EqValueFromRaw(32), 0);
    EXPECT_EQ(winamp::EqValueFromRaw(31), 1);
}

TEST(WinampVolumeConversion, EveryVolumeSurvivesTheRoundTrip) {
    for (int32_t volume = 0; volume <= 100; ++volume) {
        EXPECT_EQ(winamp::VolumeFromRaw(winamp::VolumeToRaw(volume)), volume) << volume;
    }
    EXPECT_EQ(winamp::VolumeToRaw(100), 255);
    EXPECT_EQ(winamp::VolumeFromRaw(300), 100);
}

TEST(WinampEqPresets, NamesAreUniqueAndBandsInRange) {
    const auto& presets = winamp::EqPresets();
    for (size_t i = 0; i < presets.size(); ++i) {
        for (size_t j = i + 1; j < presets.size(); ++j) {
            EXPECT_STRNE(presets[i].name, presets[j].name);
        }
        for (int32_t raw : presets[i].bands) {
            EXPECT_GE(raw, 0);
            EXPECT_LE(raw, 63);
        }
    }
    EXPECT_STREQ(presets.front().name, "Classical");
    EXPECT_STREQ(presets.back().name, "Techno");
}

TEST(WinampWindowTitle, YieldsTheTitleText) {
    struct Case {
        const char* windowTitle;
        const char* titleText;
    };
    for (const Case& c : {
             Case{"12. Artist - Song - Winamp", "Artist - Song"},
             Case{"3. Artist - Song - Winamp [Paused]", "Artist - Song"},
             Case{"1. Mr. Big - St. Louis - Winamp", "Mr. Big - St. Louis"},
             Case{"Song - Winamp", "Song"},
             Case{"Winamp 5.63", "Winamp 5.63"},
         }) {
        EXPECT_EQ(CWinampPlayer::TitleFromWindowTitle(c.windowTitle), c.titleText);
    }
}

TEST(PlaylistTitleWindow, FollowsStartAndCountRules) {
    const std::vector<std::string> cached = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    struct Case {
        int32_t start;
        int32_t count;
        bool copied;
        std::vector<std::string> titles;
    };
    for (const Case& c : {
             Case{8, 5, true, {"8", "9"}},
             Case{10, 5, false, {}},
             Case{-3, 2, true, {"0", "1"}},
             Case{7, -1, true, {"7", "8", "9"}},
             Case{2, 0, false, {}},
         }) {
        SCOPED_TRACE(testing::Message() << c.start << "/" << c.count);
        std::vector<std::string> titles = {"stale"};
        EXPECT_EQ(CopyPlaylistTitles(cached, titles, c.start, c.count), c.copied);
        EXPECT_EQ(titles, c.titles);
    }
}

}  // namespace
}  // namespace vantor
