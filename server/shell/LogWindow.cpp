#include "server/shell/LogWindow.h"

#include <algorithm>
#include <cctype>

namespace vantor::shell {

namespace {

const char* const kLevelNames[] = {"Critical", "Normal", "Detailed", "Verbose"};

}  // namespace

CLogDlg::CLogDlg(CLogger& logger, CMainLoopQueue& queue)
    : m_logger(logger),
      m_queue(queue),
      m_levelLabel("Log _Level:", true),
      m_clear("_Clear", true),
      m_ok("_OK", true) {
    set_title("Debug Log");
    set_default_size(720, 500);
    set_border_width(12);

    m_view.set_editable(false);
    m_view.set_cursor_visible(false);
    m_view.set_monospace(true);
    m_view.set_wrap_mode(Gtk::WRAP_WORD_CHAR);
    m_view.set_left_margin(6);
    m_view.set_right_margin(6);
    m_view.set_top_margin(4);
    m_errorTag = m_view.get_buffer()->create_tag("error");
    m_errorTag->property_foreground() = "#c01c28";
    m_view.signal_populate_popup().connect(sigc::mem_fun(*this, &CLogDlg::OnPopulatePopup));
    m_scroller.set_shadow_type(Gtk::SHADOW_IN);
    m_scroller.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
    m_scroller.add(m_view);

    for (const char* name : kLevelNames) m_levels.append(name);
    m_levelLabel.set_mnemonic_widget(m_levels);
    m_levels.signal_changed().connect(sigc::mem_fun(*this, &CLogDlg::OnLevelChanged));
    m_clear.signal_clicked().connect([this] { m_view.get_buffer()->set_text(""); });
    m_ok.signal_clicked().connect([this] { hide(); });
    m_bar.pack_start(m_levelLabel, Gtk::PACK_SHRINK);
    m_bar.pack_start(m_levels, Gtk::PACK_SHRINK);
    m_bar.pack_end(m_ok, Gtk::PACK_SHRINK);
    m_bar.pack_end(m_clear, Gtk::PACK_SHRINK);
    m_ok.set_size_request(90, -1);
    m_clear.set_size_request(90, -1);

    m_box.pack_start(m_scroller, Gtk::PACK_EXPAND_WIDGET);
    m_box.pack_start(m_bar, Gtk::PACK_SHRINK);
    add(m_box);
    m_box.show_all();
    m_logger.AddSink(this);
}

CLogDlg::~CLogDlg() {
    m_logger.RemoveSink(this);
}

bool CLogDlg::IsErrorLine(const std::string& line) {
    std::string lower(line);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("error") != std::string::npos || lower.find("critical") != std::string::npos;
}

void CLogDlg::Write(const std::string& text, int) {
    std::lock_guard lock(m_waitingMutex);
    m_waiting.push_back(text);
    // One wake-up shows every line waiting by then.
    if (m_waiting.size() == 1) m_queue.Post([this] { ShowWaitingLines(); });
}

void CLogDlg::ShowWaitingLines() {
    std::vector<std::string> lines;
    {
        std::lock_guard lock(m_waitingMutex);
        lines.swap(m_waiting);
    }
    auto buffer = m_view.get_buffer();
    for (std::string& line : lines) {
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        if (!Glib::ustring(line).validate())
            line = Glib::convert_with_fallback(line, "UTF-8", "ISO-8859-1");
        if (IsErrorLine(line)) {
            buffer->insert_with_tag(buffer->end(), line, m_errorTag);
        } else {
            buffer->insert(buffer->end(), line);
        }
    }
    const int excess = buffer->get_line_count() - kMaxLines;
    if (excess > 0) buffer->erase(buffer->begin(), buffer->get_iter_at_line(excess));
    auto end = buffer->create_mark(buffer->end());
    m_view.scroll_to(end);
    buffer->delete_mark(end);
}

void CLogDlg::Present() {
    m_settingLevel = true;
    m_levels.set_active(std::clamp(m_logger.GetLevel(), 0, 3));
    m_settingLevel = false;
    show();
    present();
}

void CLogDlg::OnLevelChanged() {
    if (m_settingLevel || m_levels.get_active_row_number() < 0) return;
    m_logger.SetLevel(m_levels.get_active_row_number());
}

void CLogDlg::OnPopulatePopup(Gtk::Menu* menu) {
    // Only what makes sense for a read-only log: the view's own menu offers editing too.
    for (Gtk::Widget* item : menu->get_children()) menu->remove(*item);
    auto* copy = Gtk::make_managed<Gtk::MenuItem>("_Copy", true);
    auto* selectAll = Gtk::make_managed<Gtk::MenuItem>("Select _All", true);
    auto buffer = m_view.get_buffer();
    copy->set_sensitive(buffer->get_has_selection());
    copy->signal_activate().connect([buffer] { buffer->copy_clipboard(Gtk::Clipboard::get()); });
    selectAll->signal_activate().connect(
        [buffer] { buffer->select_range(buffer->begin(), buffer->end()); });
    menu->append(*copy);
    menu->append(*selectAll);
    menu->show_all();
}

}  // namespace vantor::shell
