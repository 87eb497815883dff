#include "client/desktop/LibraryPane.h"

#include <glibmm/main.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/stylecontext.h>

#include "client/library/LibraryIcons.h"

namespace vantor::desktop {

LibraryPane::LibraryPane(client::ServerLink& link) : m_link(link) {
    m_view.SetModel(m_model.TreeModel());
    m_model.onPageNeeded = [this](int start) { m_browser.NeedRow(start); };
    m_model.iconFor = [this](int row) { return IconFor(row); };
    m_view.onActivate = [this](int) { OpenOrPlaySelected(); };
    m_view.onContextMenu = [this](int row, const GdkEvent* event) { ShowRowMenu(row, event); };

    m_search.set_name("medialib-search");
    // The skin gives the field's width; the toolkit's own minimum would be wider.
    m_search.set_width_chars(4);
    m_search.set_icon_from_icon_name("edit-find-symbolic", Gtk::ENTRY_ICON_SECONDARY);
    SetSearchText(client::kSearchPlaceholder);
    m_search.signal_changed().connect(sigc::mem_fun(*this, &LibraryPane::OnSearchChanged));
    m_search.signal_focus_in_event().connect([this](GdkEventFocus*) {
        if (m_search.get_text() == client::kSearchPlaceholder) SetSearchText("");
        return false;
    });
    m_search.signal_focus_out_event().connect([this](GdkEventFocus*) {
        if (m_search.get_text().empty()) SetSearchText(client::kSearchPlaceholder);
        return false;
    });
    // Enter searches at once.
    m_search.signal_activate().connect([this] {
        m_timer105.disconnect();
        m_browser.SearchFieldSettled(m_search.get_text());
    });
}

LibraryPane::~LibraryPane() {
    m_timer105.disconnect();
    m_model.iconFor = nullptr;
    m_model.onPageNeeded = nullptr;
}

void LibraryPane::LoadIcons(const std::string& skinFolder) {
    m_icons.clear();
    Glib::RefPtr<Gdk::Pixbuf> strip;
    try {
        strip = Gdk::Pixbuf::create_from_file(skinFolder + client::kLibraryIconsFile);
    } catch (const Glib::Error&) {
        return;  // a skin without icons shows the names alone
    }
    const int side = strip->get_height();
    for (int x = 0; side > 0 && x + side <= strip->get_width(); x += side)
        m_icons.push_back(Gdk::Pixbuf::create_subpixbuf(strip, x, 0, side, side));
}

GdkPixbuf* LibraryPane::IconFor(int row) {
    const client::LibraryRow* found = m_browser.Row(row);
    if (!found) return nullptr;
    const auto index = static_cast<size_t>(client::IconForRow(*found));
    return index < m_icons.size() ? m_icons[index]->gobj() : nullptr;
}

void LibraryPane::FocusSearch() {
    m_search.grab_focus();
}

void LibraryPane::FocusList() {
    m_search.select_region(0, 0);
    m_view.Tree().grab_focus();
}

void LibraryPane::OnSearchChanged() {
    if (m_settingText) return;
    m_typed = m_search.get_text();
    m_timer105.disconnect();
    m_timer105 = Glib::signal_timeout().connect(
        [this] {
            m_browser.SearchFieldSettled(m_typed);
            return false;
        },
        client::kSearchDelayMs);
}

void LibraryPane::OpenOrPlaySelected() {
    const int row = m_view.SelectedRow();
    if (row < 0) return;
    if (!m_browser.Open(row)) m_browser.PlayNow(row);
}

void LibraryPane::Back() {
    m_browser.Back();
}

void LibraryPane::AddSelected() {
    const int row = m_view.SelectedRow();
    if (row >= 0) m_browser.AddToQueue(row);
}

void LibraryPane::ShowRowMenu(int row, const GdkEvent* event) {
    const client::LibraryRow* found = m_browser.Row(row);
    if (!found || found->info) return;
    m_menu = std::make_unique<Gtk::Menu>();
    auto* queue = Gtk::manage(new Gtk::MenuItem("Add to queue"));
    queue->signal_activate().connect([this, row] { m_browser.AddToQueue(row); });
    auto* play = Gtk::manage(new Gtk::MenuItem("Play now"));
    play->signal_activate().connect([this, row] { m_browser.PlayNow(row); });
    m_menu->append(*queue);
    m_menu->append(*play);
    m_menu->show_all();
    m_menu->attach_to_widget(m_view);
    m_menu->popup_at_pointer(event);
}

void LibraryPane::ShowBreadcrumb(Gtk::Widget& anchor) {
    m_menu = std::make_unique<Gtk::Menu>();
    const std::vector<std::string> entries = m_browser.Breadcrumb();
    for (size_t i = 0; i < entries.size(); ++i) {
        // Deeper levels are indented, so the menu reads as a path.
        auto* item = Gtk::manage(new Gtk::MenuItem(std::string(i * 2, ' ') + entries[i]));
        item->signal_activate().connect([this, i] { m_browser.BrowseToBreadcrumb(i); });
        m_menu->append(*item);
    }
    m_menu->show_all();
    m_menu->attach_to_widget(anchor);
    m_menu->popup_at_widget(&anchor, Gdk::GRAVITY_SOUTH_WEST, Gdk::GRAVITY_NORTH_WEST, nullptr);
}

void LibraryPane::ShowListing(const std::string& title, int32_t rowCount) {
    m_view.ChangeRowCount([&] {
        m_model.Forget();
        m_model.SetRowCount(0);
        m_model.SetRowCount(rowCount);
    });
    m_view.ScrollToTop(0);
    if (onTitle) onTitle(title);
}

void LibraryPane::ShowRows(int32_t start, int32_t count) {
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(count));
    for (int32_t row = start; row < start + count; ++row) {
        const client::LibraryRow* found = m_browser.Row(row);
        names.push_back(found ? found->name : std::string());
    }
    m_model.SetRows(start, names);
}

void LibraryPane::RestoreView(int32_t selectedRow, int32_t firstVisible) {
    m_view.ScrollToTop(firstVisible);
    if (selectedRow >= 0) {
        m_view.SelectRow(selectedRow);
    } else {
        m_view.Tree().get_selection()->unselect_all();
    }
}

void LibraryPane::SetSearchText(const std::string& text) {
    m_settingText = true;
    m_search.set_text(text);
    m_settingText = false;
    auto style = m_search.get_style_context();
    if (text == client::kSearchPlaceholder) {
        style->add_class("placeholder");
    } else {
        style->remove_class("placeholder");
    }
}

int32_t LibraryPane::SelectedRow() const {
    return m_view.SelectedRow();
}

int32_t LibraryPane::FirstVisibleRow() const {
    return m_view.FirstVisibleRow();
}

}  // namespace vantor::desktop
