#pragma once

// One skinned dialog over the main window, for every kind: the skin's dialog parts drawn
// by the face library, the kind's native controls (an edit field, a list, the report list
// "Results") at the layout's places, and the buttons "dlg.ok", "dlg.cancel" and
// "dlg.search" handled as the main window handles its components (push state while held,
// the action of the button under the release point). Run() blocks in a nested main loop
// until OK or Cancel. Main thread only.

#include <glibmm/main.h>
#include <gtkmm/drawingarea.h>
#include <gtkmm/entry.h>
#include <gtkmm/fixed.h>
#include <gtkmm/liststore.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/treeview.h>
#include <gtkmm/window.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "client/face/DialogLayout.h"
#include "client/face/DialogPainter.h"

namespace vantor::desktop {

class SkinDialog : public Gtk::Window {
public:
    // `face` is the main window's skinned area: the dialog lies over it at the layout's
    // rectangle.
    SkinDialog(Gtk::Window& owner, Gtk::Widget& face, face::SkinPainter& painter,
               face::DialogLayout layout);

    face::DialogResult Run();

    // The edit field's text.
    std::string Text() const { return m_edit.get_text(); }
    // Fills the list (or the results): each entry's text; `keys` stay with the rows.
    void SetRows(const std::vector<std::pair<int, std::string>>& rows);
    // The selected row's key, or -1.
    int SelectedKey() const;
    void SelectKey(int key);

    // The edit field reached three characters (each change from then on), or "dlg.search"
    // was released: the owner searches for Text() and fills the results.
    std::function<void()> onSearch;

private:
    void BuildList(bool withHeader);
    bool OnDraw(const Cairo::RefPtr<Cairo::Context>& cr);
    bool OnPress(GdkEventButton* event);
    bool OnRelease(GdkEventButton* event);
    bool OnMotion(GdkEventMotion* event);
    void Close(face::DialogResult result);

    struct Columns : Gtk::TreeModelColumnRecord {
        Columns() {
            add(key);
            add(text);
        }
        Gtk::TreeModelColumn<int> key;
        Gtk::TreeModelColumn<Glib::ustring> text;
    };

    face::DialogPainter m_painter;
    face::DialogLayout m_layout;
    Gtk::Fixed m_fixed;
    Gtk::DrawingArea m_area;
    Gtk::Entry m_edit;
    Gtk::ScrolledWindow m_scroll;
    Gtk::TreeView m_list;
    Columns m_columns;
    Glib::RefPtr<Gtk::ListStore> m_rows;
    std::string m_pressed;
    std::string m_hovered;
    face::DialogResult m_result = face::DialogResult::kCancel;
    Glib::RefPtr<Glib::MainLoop> m_loop;
};

}  // namespace vantor::desktop
