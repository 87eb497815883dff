#pragma once

// The handheld profile's rules for the screen, checked at start and whenever the screen's
// size changes: the VGA flag (480 pixels wide and more selects "skins_vga/"), the messages
// shown instead of the screens on square and landscape screens, the return to the "main"
// screen once the screen is portrait again, and how the face is fitted to the screen.
// Toolkit-free.

#include <cstdint>
#include <string>

#include "client/face/FaceView.h"
#include "client/settings/ClientProfile.h"

namespace vantor::handheld {

inline constexpr char kSquareScreenText[] =
    "Sorry, Vantor does not support square screen configurations - please use a portrait "
    "screen orientation.";
inline constexpr char kLandscapeScreenText[] =
    "Sorry, Vantor does not support landscape screen orientations - please use a portrait "
    "screen orientation.";

// The handheld profile for a screen `deviceWidth` pixels wide (VGA from 480), its skins
// beside the program when they lie there (a build tree), else in `installedFolder`.
client::ClientProfile HandheldProfileFor(int32_t deviceWidth, const std::string& installedFolder);

enum class ScreenShape { kPortrait, kSquare, kLandscape };

ScreenShape ShapeOf(int32_t width, int32_t height);
// The message a shape shows instead of the screens; "" for portrait.
const char* ShapeMessage(ScreenShape shape);
// Screens at least 480 pixels wide take the VGA skins.
bool IsVgaWidth(int32_t width);

// What a new screen size asks of the window.
struct ScreenReaction {
    enum class Kind {
        kNothing,   // the same size as before
        kMessage,   // show `message` instead of the screens
        kRestore,   // portrait again after a message: apply the skin again, show `screen`
        kRefit,     // still portrait, another size: fit the face again
    };
    Kind kind = Kind::kNothing;
    std::string message;
    std::string screen;
    bool vga = false;  // the VGA flag of the new size
};

// Follows the screen's size. The first size seen is the start.
class ScreenWatch {
public:
    explicit ScreenWatch(bool vga) : m_vga(vga) {}

    ScreenReaction OnSize(int32_t width, int32_t height);
    bool Vga() const { return m_vga; }
    // A message is shown instead of the screens.
    bool ShowingMessage() const { return m_message; }

private:
    bool m_vga;
    bool m_message = false;
    int32_t m_width = -1;
    int32_t m_height = -1;
};

// A skin file below `installFolder`'s "skins/" moved to "skins_vga/" (or back) after the
// VGA flag; any other path is kept.
std::string SkinPathForVga(const std::string& path, const std::string& installFolder, bool vga);

// The header bar's height on a screen `width` pixels wide (a sixth of the width, so that its
// buttons keep their size relative to the face).
int32_t HeaderHeightFor(int32_t width);

// The face (`faceWidth` x `faceHeight`) fitted into an area of the screen: scaled as large as
// fits, centred across. With `growList` (the screen shows a list that reaches the face's
// bottom) the face sits at the top and the list takes the height left; otherwise the face is
// centred down the area too.
face::FaceView FitFace(int32_t faceWidth, int32_t faceHeight, int32_t areaWidth,
                       int32_t areaHeight, bool growList);

}  // namespace vantor::handheld
