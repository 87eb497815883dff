#pragma once

#include <gtkmm.h>

#include <string>

namespace vantor::shell {

// "About Vantor": the icon, "Vantor Version " and the version, and what the program does.
// Modal: returns once the user closed it. Main thread.
void ShowAboutDialog(const std::string& version, const Glib::RefPtr<Gdk::Pixbuf>& icon);

}  // namespace vantor::shell
