#pragma once

#include <gtkmm.h>

#include <memory>
#include <string>

#include "server/shell/MainLoopQueue.h"
#include "server/shell/update/UpdateNotify.h"

namespace vantor {
class CSoftwareUpdate;
}

namespace vantor::shell {

// The software update's windows: the offer ("Vantor Software Update"), the download with
// its progress, and the messages ("Check for Updates - Vantor", "Update Download Failed").
// The update thread's calls are handed to the main thread; the user's answers go back to
// CSoftwareUpdate. Closing a window without answering ends the check.
class CUpdateWindows : public IUpdateNotify {
public:
    CUpdateWindows(CSoftwareUpdate& update, CMainLoopQueue& queue);
    ~CUpdateWindows() override;

    // The running version, for "(you have %s)".
    void SetRunningVersion(std::string version) { m_runningVersion = std::move(version); }

    void OnUpdateOffer(const CVersionInfoBody& offer, bool newer) override;
    void OnCheckFailed(const std::string& reason) override;
    void OnDownloadProgress(int percent) override;
    void OnDownloadFinished() override;
    void OnDownloadResult(bool ready) override;
    void OnCheckEnded() override;

    // The texts shown for an offer (name and version from the update description).
    static std::string OfferHeading(const CVersionInfoBody& offer);
    static std::string OfferText(const CVersionInfoBody& offer, const std::string& running);

private:
    void ShowOffer(const CVersionInfoBody& offer);
    void ShowUpToDate(const CVersionInfoBody& offer);
    void ShowMessage(const std::string& title, const std::string& heading, const std::string& text,
                     Gtk::MessageType type);
    void ShowDownload();
    void ShowProgress(int percent);
    void ShowVerifying();
    void ShowResult(bool ready);
    void CloseDownload(bool cancel);

    CSoftwareUpdate& m_update;
    CMainLoopQueue& m_queue;
    std::string m_runningVersion;
    std::unique_ptr<Gtk::Window> m_offer;
    sigc::connection m_offerHidden;
    std::unique_ptr<Gtk::MessageDialog> m_message;

    // The download window.
    std::unique_ptr<Gtk::Window> m_download;
    Gtk::Label* m_downloadStatus = nullptr;
    Gtk::ProgressBar* m_progress = nullptr;
    Gtk::Button* m_install = nullptr;
    bool m_installing = false;
    bool m_checkOver = false;  // closing windows of a check that ended answers nothing
};

}  // namespace vantor::shell
