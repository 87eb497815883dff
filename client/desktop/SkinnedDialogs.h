#pragma once

// The window's dialogs as skinned dialogs over the main window; the settings sheet is
// opened through the function given.

#include <memory>

#include "client/desktop/FrameDialogs.h"
#include "client/face/SkinPainter.h"

namespace vantor::desktop {

std::unique_ptr<FrameDialogs> MakeSkinnedDialogs(Gtk::Window& owner, Gtk::Widget& face,
                                                 face::SkinPainter& painter,
                                                 std::function<void()> settingsSheet);

}  // namespace vantor::desktop
