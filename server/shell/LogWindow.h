#pragma once

#include <gtkmm.h>

#include <mutex>
#include <string>
#include <vector>

#include "server/core/Logger.h"
#include "server/shell/MainLoopQueue.h"

namespace vantor::shell {

// "Debug Log": the server log as it is written, error lines in red, with the logger's level
// to choose. A log sink from construction to destruction, so the view holds the lines since
// start-up even while the window is hidden; it keeps the newest kMaxLines.
//
// Write may come from any thread (with the logger's lock held): lines wait in a list until
// the main thread shows them. Everything else runs on the main thread.
class CLogDlg : public Gtk::Window, public ILogSink {
public:
    static constexpr int kMaxLines = 5000;

    CLogDlg(CLogger& logger, CMainLoopQueue& queue);
    ~CLogDlg() override;

    void Write(const std::string& text, int level) override;
    // Shows the window with the logger's current level selected.
    void Present();

    // True when `line` is shown in red: it mentions an error or something critical.
    static bool IsErrorLine(const std::string& line);

private:
    void ShowWaitingLines();
    void OnLevelChanged();
    void OnPopulatePopup(Gtk::Menu* menu);

    CLogger& m_logger;
    CMainLoopQueue& m_queue;
    std::mutex m_waitingMutex;
    std::vector<std::string> m_waiting;

    Gtk::Box m_box{Gtk::ORIENTATION_VERTICAL, 8};
    Gtk::ScrolledWindow m_scroller;
    Gtk::TextView m_view;
    Glib::RefPtr<Gtk::TextTag> m_errorTag;
    Gtk::Box m_bar{Gtk::ORIENTATION_HORIZONTAL, 8};
    Gtk::Label m_levelLabel;
    Gtk::ComboBoxText m_levels;
    Gtk::Button m_clear;
    Gtk::Button m_ok;
    bool m_settingLevel = false;
};

}  // namespace vantor::shell
