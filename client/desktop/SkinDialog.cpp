#include "client/desktop/SkinDialog.h"

#include <glibmm/main.h>
#include <gtkmm/cellrenderertext.h>

namespace vantor::desktop {

SkinDialog::SkinDialog(Gtk::Window& owner, Gtk::Widget& face, face::SkinPainter& painter,
                       face::DialogLayout layout)
    : m_painter(painter), m_layout(std::move(layout)) {
    set_title(face::kDialogTitle);
    set_name("vantor-dialog");
    set_decorated(false);
    set_resizable(false);
    set_transient_for(owner);
    set_modal(true);
    set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);
    set_skip_taskbar_hint(true);
    const int width = m_layout.window.Width();
    const int height = m_layout.window.Height();
    set_default_size(width, height);
    // Over the main window's face at the kind's place.
    int x = 0;
    int y = 0;
    if (auto window = face.get_window()) window->get_origin(x, y);
    move(x + m_layout.window.left, y + m_layout.window.top);

    m_area.set_size_request(width, height);
    m_area.add_events(Gdk::BUTTON_PRESS_MASK | Gdk::BUTTON_RELEASE_MASK | Gdk::POINTER_MOTION_MASK |
                      Gdk::LEAVE_NOTIFY_MASK);
    m_area.signal_draw().connect(sigc::mem_fun(*this, &SkinDialog::OnDraw));
    m_area.signal_button_press_event().connect(sigc::mem_fun(*this, &SkinDialog::OnPress));
    m_area.signal_button_release_event().connect(sigc::mem_fun(*this, &SkinDialog::OnRelease));
    m_area.signal_motion_notify_event().connect(sigc::mem_fun(*this, &SkinDialog::OnMotion));
    m_area.signal_leave_notify_event().connect([this](GdkEventCrossing*) {
        m_hovered.clear();
        m_area.queue_draw();
        return false;
    });
    m_fixed.put(m_area, 0, 0);

    const skin::Rect& edit = m_layout.edit;
    if (edit.Width() > 0) {
        m_edit.set_name("dialog-edit");
        m_edit.set_size_request(edit.Width(), edit.Height());
        m_edit.set_activates_default(false);
        m_fixed.put(m_edit, edit.left, edit.top);
        m_edit.signal_changed().connect([this] {
            if (onSearch && face::SearchNoticeDue(m_edit.get_text())) onSearch();
        });
        m_edit.signal_activate().connect([this] {
            if (m_layout.kind == face::DialogKind::kSearch) {
                if (onSearch) onSearch();
            } else {
                Close(face::DialogResult::kOk);
            }
        });
    }
    const skin::Rect& list = m_layout.list;
    if (list.Width() > 0) {
        BuildList(m_layout.kind == face::DialogKind::kSearch);
        m_scroll.set_size_request(list.Width(), list.Height());
        m_fixed.put(m_scroll, list.left, list.top);
    }
    add(m_fixed);
    signal_delete_event().connect([this](GdkEventAny*) {
        Close(face::DialogResult::kCancel);
        return true;
    });
    signal_key_press_event().connect(
        [this](GdkEventKey* event) {
            if (event->keyval == GDK_KEY_Escape) {
                Close(face::DialogResult::kCancel);
                return true;
            }
            return false;
        },
        false);
}

void SkinDialog::BuildList(bool withHeader) {
    m_rows = Gtk::ListStore::create(m_columns);
    m_list.set_model(m_rows);
    m_list.set_name("dialog-list");
    auto* column = Gtk::manage(new Gtk::TreeViewColumn(withHeader ? "Results" : ""));
    auto* text = Gtk::manage(new Gtk::CellRendererText());
    text->property_ellipsize() = Pango::ELLIPSIZE_END;
    column->pack_start(*text, true);
    column->add_attribute(*text, "text", m_columns.text);
    m_list.append_column(*column);
    m_list.set_headers_visible(withHeader);
    m_list.set_enable_search(false);
    // A double click on a row is OK.
    m_list.signal_row_activated().connect(
        [this](const Gtk::TreeModel::Path&, Gtk::TreeViewColumn*) {
            Close(face::DialogResult::kOk);
        });
    m_scroll.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    m_scroll.set_shadow_type(Gtk::SHADOW_NONE);
    m_scroll.add(m_list);
}

void SkinDialog::SetRows(const std::vector<std::pair<int, std::string>>& rows) {
    if (!m_rows) return;
    m_rows->clear();
    for (const auto& [key, text] : rows) {
        Gtk::TreeModel::Row row = *m_rows->append();
        row[m_columns.key] = key;
        row[m_columns.text] = text;
    }
}

int SkinDialog::SelectedKey() const {
    if (!m_rows) return -1;
    auto selected = const_cast<Gtk::TreeView&>(m_list).get_selection()->get_selected();
    return selected ? static_cast<int>((*selected)[m_columns.key]) : -1;
}

void SkinDialog::SelectKey(int key) {
    if (!m_rows) return;
    for (const Gtk::TreeModel::Row& row : m_rows->children()) {
        if (row[m_columns.key] == key) {
            m_list.get_selection()->select(row);
            m_list.scroll_to_row(m_rows->get_path(row));
            return;
        }
    }
}

face::DialogResult SkinDialog::Run() {
    show_all();
    present();
    if (m_layout.edit.Width() > 0) {
        m_edit.grab_focus();
    } else if (m_layout.list.Width() > 0) {
        m_list.grab_focus();
    }
    m_loop = Glib::MainLoop::create();
    m_loop->run();
    // Closing: the native children go with the window, the drawing with the area.
    hide();
    return m_result;
}

void SkinDialog::Close(face::DialogResult result) {
    m_result = result;
    if (m_loop && m_loop->is_running()) m_loop->quit();
}

bool SkinDialog::OnDraw(const Cairo::RefPtr<Cairo::Context>& cr) {
    m_painter.Paint(cr->cobj(), m_layout, m_pressed, m_hovered);
    return true;
}

bool SkinDialog::OnPress(GdkEventButton* event) {
    if (event->button != 1 || event->type != GDK_BUTTON_PRESS) return true;
    m_pressed =
        face::DialogButtonAt(m_layout, static_cast<int>(event->x), static_cast<int>(event->y));
    m_area.queue_draw();
    return true;
}

bool SkinDialog::OnMotion(GdkEventMotion* event) {
    const std::string hovered =
        face::DialogButtonAt(m_layout, static_cast<int>(event->x), static_cast<int>(event->y));
    if (hovered != m_hovered) {
        m_hovered = hovered;
        m_area.queue_draw();
    }
    return true;
}

bool SkinDialog::OnRelease(GdkEventButton* event) {
    if (event->button != 1) return true;
    m_pressed.clear();
    m_area.queue_draw();
    const std::string released =
        face::DialogButtonAt(m_layout, static_cast<int>(event->x), static_cast<int>(event->y));
    if (released == face::kDialogOk) {
        Close(face::DialogResult::kOk);
    } else if (released == face::kDialogCancel) {
        Close(face::DialogResult::kCancel);
    } else if (released == face::kDialogSearch) {
        if (onSearch) onSearch();
    }
    return true;
}

}  // namespace vantor::desktop
