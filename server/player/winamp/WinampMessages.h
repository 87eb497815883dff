#pragma once

#include <cstdint>

// The numbers of Winamp's window-message interface that the adapter uses. User messages carry
// the command number as their last parameter; menu commands travel as command messages.
namespace vantor::winamp {

constexpr int64_t kGetVersion = 0;
constexpr int64_t kClearPlaylist = 101;
constexpr int64_t kIsPlaying = 104;      // 1 playing, 3 paused, else stopped
constexpr int64_t kGetOutputTime = 105;  // [0] position in ms, [1] length in s
constexpr int64_t kJumpToTime = 106;     // [ms]
constexpr int64_t kSetPlaylistPos = 121;
constexpr int64_t kSetVolume = 122;  // [-666] answers the volume, 0..255
constexpr int64_t kGetListLength = 124;
constexpr int64_t kGetListPos = 125;
constexpr int64_t kGetEqData = 127;        // [0..9] bands, [10] preamp, [11] on, [12] auto-load
constexpr int64_t kSetEqData = 128;        // sets the value last asked for with kGetEqData
constexpr int64_t kGetPlaylistFile = 211;  // answers the address of the file name
constexpr int64_t kGetPlaylistTitle = 212;
constexpr int64_t kGetShuffle = 250;
constexpr int64_t kGetRepeat = 251;
constexpr int64_t kSetShuffle = 252;
constexpr int64_t kSetRepeat = 253;
constexpr int64_t kGetWindow = 260;  // [1] the playlist editor
constexpr int64_t kExtendedFileInfo = 296;
constexpr int64_t kIsPlayingVideo = 501;  // 2 and above: a video plays
constexpr int64_t kIsFullScreen = 630;
constexpr int64_t kRegisterMessage = 65536;
constexpr int64_t kEqIndexPreamp = 10;
constexpr int64_t kEqIndexEnabled = 11;
constexpr int64_t kEqIndexAutoLoad = 12;
constexpr int64_t kQueryVolume = -666;
constexpr int64_t kWindowPlaylistEditor = 1;

constexpr int64_t kMenuPrevious = 40044;
constexpr int64_t kMenuPlay = 40045;
constexpr int64_t kMenuPause = 40046;
constexpr int64_t kMenuStop = 40047;
constexpr int64_t kMenuNext = 40048;
constexpr int64_t kMenuForward = 40060;
constexpr int64_t kMenuRewind = 40061;
constexpr int64_t kMenuFullScreen = 40337;

// To the playlist editor.
constexpr int64_t kEditorDeleteIndex = 104;

// Copy-data ids.
constexpr uint32_t kCopyPlayFile = 100;    // main window: append the zero-terminated path
constexpr uint32_t kCopyInsertFile = 106;  // editor: 260-byte path, then the 32-bit index
constexpr size_t kInsertPathSize = 260;

// To the media library window.
constexpr uint32_t kLibraryMessage = 5120;
constexpr int64_t kLibrarySetRating = 2304;
constexpr int64_t kLibraryGetRating = 2305;

constexpr const char* kMainClass = "Winamp v1.x";
constexpr const char* kEditorClass = "Winamp PE";
constexpr const char* kLibraryMessageName = "LibraryGetWnd";

}  // namespace vantor::winamp
