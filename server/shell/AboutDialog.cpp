#include "server/shell/AboutDialog.h"

namespace vantor::shell {

void ShowAboutDialog(const std::string& version, const Glib::RefPtr<Gdk::Pixbuf>& icon) {
    Gtk::Dialog dialog("About Vantor", true);
    dialog.set_resizable(false);
    dialog.set_border_width(12);
    dialog.set_position(Gtk::WIN_POS_CENTER);

    Gtk::Box row(Gtk::ORIENTATION_HORIZONTAL, 18);
    row.set_border_width(6);
    Gtk::Image image;
    if (icon) image.set(icon->scale_simple(64, 64, Gdk::INTERP_BILINEAR));
    image.set_valign(Gtk::ALIGN_START);
    Gtk::Box texts(Gtk::ORIENTATION_VERTICAL, 6);
    Gtk::Label title;
    title.set_markup("<span size='x-large' weight='bold'>Vantor Version " +
                     Glib::Markup::escape_text(version) + "</span>");
    title.set_xalign(0);
    Gtk::Label about(
        "The Vantor server lets phones, desktops and handhelds on your network control this "
        "computer's media player and browse its music library.");
    about.set_line_wrap(true);
    about.set_max_width_chars(44);
    about.set_xalign(0);
    texts.pack_start(title, Gtk::PACK_SHRINK);
    texts.pack_start(about, Gtk::PACK_SHRINK);
    row.pack_start(image, Gtk::PACK_SHRINK);
    row.pack_start(texts, Gtk::PACK_EXPAND_WIDGET);
    dialog.get_content_area()->pack_start(row, Gtk::PACK_EXPAND_WIDGET);
    dialog.add_button("_OK", Gtk::RESPONSE_OK);
    dialog.set_default_response(Gtk::RESPONSE_OK);
    dialog.show_all();
    dialog.run();
}

}  // namespace vantor::shell
