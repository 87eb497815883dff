#pragma once

// Everything the skinned face shows, as one value the painter reads: the screen, the
// player's cached state, the bars in pixels and the texts. The window layer keeps it
// under its drawing lock; tests build one by hand.

#include <cstdint>
#include <string>

#include "client/face/CairoHandles.h"
#include "client/link/PlayerState.h"

namespace vantor::face {

// The five screens.
inline constexpr char kScreenConnect[] = "connect";
inline constexpr char kScreenMain[] = "main";
inline constexpr char kScreenPlaylist[] = "playlist";
inline constexpr char kScreenNowPlaying[] = "nowplaying";
inline constexpr char kScreenEq[] = "eq";

struct FaceState {
    std::string screen = kScreenConnect;
    client::PlayerState player;

    // Bars, in pixels from their start (the equaliser comes from player.eq).
    int32_t positionBar = 0;
    int32_t nowPlayingBar = 0;
    int32_t volumeBar = 0;
    int32_t connectProgress = 0;  // 0..100 while connecting
    bool connecting = false;

    std::string connectStatus;  // the connect screen's status line
    std::string titleLine;      // the title line (or a status shown in its place)
    std::string libraryTitle;   // the library listing's title ("medialib.title")
    int32_t titleOffset = 0;    // scrolled pixels of the title line
    int32_t nowPlayingTitleOffset = 0;

    int64_t positionMs = 0;  // local play position
    bool showRemaining = false;
    int32_t playlistLength = 0;

    // Components by their index in the skin: the pressed one (drawn in its push state) and
    // the one under the pointer (drawn in its hover state); -1 for none.
    int32_t pressed = -1;
    int32_t hovered = -1;

    SurfaceHandle albumArt;  // empty: nothing loaded yet
};

}  // namespace vantor::face
