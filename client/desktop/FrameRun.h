#pragma once

// What a remote's program does with its window after reading its settings: the skin applied
// (a message box when no skin can be loaded), then the window shown and run until it exits,
// the session's or a terminal's end leaving as "Exit" does.

#include <gtkmm/application.h>

#include "client/desktop/MainFrame.h"

namespace vantor::desktop {

// False after telling the user that no skin could be loaded.
bool ApplySkinOrTell(MainFrame& frame);

// Shows the window, starts it and runs the application until the window closes; the exit
// status of the program.
int RunFrame(const Glib::RefPtr<Gtk::Application>& app, MainFrame& frame);

}  // namespace vantor::desktop
