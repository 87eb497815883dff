// The reference of vantor_desktop_idle_bench: the least a GTK 3 program with a window and a
// 10 ms main-loop timer costs when the timer does nothing.

#include <glibmm/main.h>
#include <gtkmm/application.h>
#include <gtkmm/drawingarea.h>
#include <gtkmm/window.h>

int main(int argc, char** argv) {
    auto app = Gtk::Application::create(argc, argv, "", Gio::APPLICATION_NON_UNIQUE);
    Gtk::Window window;
    window.set_title("GTK timer reference");
    window.set_default_size(400, 600);
    Gtk::DrawingArea area;
    window.add(area);
    window.show_all();
    long ticks = 0;
    Glib::signal_timeout().connect(
        [&ticks] {
            ++ticks;
            return true;
        },
        10);
    return app->run(window);
}
