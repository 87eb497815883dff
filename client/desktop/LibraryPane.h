#pragma once

// The library browser on the "playlist" screen: the list "medialib.tagview" (a virtual list
// with category icons, rows arriving by pages), the search field "medialib.search" with its
// search-as-you-type timer (timer 105), the breadcrumb drop-down and the library rows'
// context menu. The browsing rules are the toolkit-free LibraryBrowser's; this is its view.
// Main thread only: the window posts the link's answers here.

#include <gdkmm/pixbuf.h>
#include <gtkmm/entry.h>
#include <gtkmm/menu.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/desktop/PlaylistModel.h"
#include "client/desktop/PlaylistView.h"
#include "client/library/LibraryBrowser.h"

namespace vantor::desktop {

class LibraryPane : public client::LibraryView {
public:
    explicit LibraryPane(client::ServerLink& link);
    ~LibraryPane() override;

    Gtk::Widget& List() { return m_view; }
    const Gtk::Widget& List() const { return m_view; }
    PlaylistView& View() { return m_view; }
    Gtk::Entry& SearchField() { return m_search; }
    client::LibraryBrowser& Browser() { return m_browser; }

    // The skin's icon strip ("library_icons.png" in its folder); no icons without one.
    void LoadIcons(const std::string& skinFolder);
    bool ListHasFocus() { return m_view.Tree().has_focus(); }
    void FocusSearch();
    // The list takes the focus; the field keeps no selection from an earlier focus.
    void FocusList();
    // Enter on the list: opens a container, plays anything else.
    void OpenOrPlaySelected();
    void Back();
    // "add": the selected row to the play list.
    void AddSelected();
    // The breadcrumb drop-down below `anchor`.
    void ShowBreadcrumb(Gtk::Widget& anchor);

    // The listing's title changed.
    std::function<void(const std::string&)> onTitle;

    // Library view.
    void ShowListing(const std::string& title, int32_t rowCount) override;
    void ShowRows(int32_t start, int32_t count) override;
    void RestoreView(int32_t selectedRow, int32_t firstVisible) override;
    void SetSearchText(const std::string& text) override;
    int32_t SelectedRow() const override;
    int32_t FirstVisibleRow() const override;

private:
    void OnSearchChanged();
    void ShowRowMenu(int row, const GdkEvent* event);
    GdkPixbuf* IconFor(int row);

    client::ServerLink& m_link;
    PlaylistModel m_model;
    PlaylistView m_view{"medialib.tagview", "Items", true};
    Gtk::Entry m_search;
    client::LibraryBrowser m_browser{m_link, *this};
    std::vector<Glib::RefPtr<Gdk::Pixbuf>> m_icons;
    std::unique_ptr<Gtk::Menu> m_menu;
    sigc::connection m_timer105;
    std::string m_typed;         // the text of the last keystroke
    bool m_settingText = false;  // the field is being set, not typed in
};

}  // namespace vantor::desktop
