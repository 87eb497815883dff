#pragma once

// The small tasks the window hands to dialogs: about box, choosing an equaliser preset,
// saving the play list, the settings sheet. The skinned dialogs and the settings sheet take
// this place; until then BasicDialogs answers with the toolkit's own.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Gtk {
class Window;
}

namespace vantor::desktop {

class FrameDialogs {
public:
    virtual ~FrameDialogs() = default;

    virtual void About(const std::string& version) = 0;
    // Offers the presets; `chosen` gets the one picked (not called on cancel).
    virtual void SelectEqPreset(const std::vector<std::string>& presets,
                                std::function<void(const std::string&)> chosen) = 0;
    // False while a kind has no dialog yet: its menu entry is shown disabled.
    virtual bool CanSavePlaylist() const { return false; }
    virtual void SavePlaylist() {}
    virtual bool CanOpenSettings() const { return false; }
    virtual void Settings() {}
    // A dialog is open (the idle switch to the now-playing screen waits).
    virtual bool IsOpen() const = 0;
};

std::unique_ptr<FrameDialogs> MakeBasicDialogs(Gtk::Window& owner);

}  // namespace vantor::desktop
