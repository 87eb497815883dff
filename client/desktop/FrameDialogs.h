#pragma once

// The small tasks the window hands to dialogs: the skinned dialogs over the main window
// (about box, equaliser presets, saving the play list, jumping to a song, the network
// warning) and the settings sheet. Each call returns when its dialog has closed; the
// callbacks run before that, on the main thread.

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Gtk {
class Window;
class Widget;
}  // namespace Gtk

namespace vantor::face {
class SkinPainter;
}

namespace vantor::desktop {

// Rows of a list in a dialog: a key the owner knows them by, and the text shown.
using DialogRows = std::vector<std::pair<int, std::string>>;

class FrameDialogs {
public:
    virtual ~FrameDialogs() = default;

    virtual void About(const std::string& version) = 0;
    // `chosen` gets the preset picked (not called on Cancel); `current` is preselected.
    virtual void SelectEqPreset(const std::vector<std::string>& presets, const std::string& current,
                                std::function<void(const std::string&)> chosen) = 0;
    // `save` gets the name typed (not called on Cancel or for an empty name).
    virtual void SavePlaylist(std::function<void(const std::string&)> save) = 0;
    // Jump to Song: `find` answers the words typed with the matching rows (key: the play
    // list position); `play` gets the position chosen.
    virtual void JumpToSong(std::function<DialogRows(const std::string&)> find,
                            std::function<void(int)> play) = 0;
    virtual void NoNetwork() = 0;
    // The settings sheet; returns once it is closed.
    virtual void Settings() = 0;
    // A dialog is open (the idle switch to the now-playing screen waits).
    virtual bool IsOpen() const = 0;
};

}  // namespace vantor::desktop
