#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "protocol/ConnectionMessages.h"
#include "server/core/Server.h"
#include "server/core/WorkerThread.h"

namespace vantor {

struct CServerContext;
class IUpdateNotify;

// The server's software update: asks the update endpoint ("UpdateURL", and "BetaUpdateURL"
// when set) whether a newer version exists, offers it through IUpdateNotify, downloads it
// into the data folder's "update" folder when the user accepts, verifies its MD5 checksum
// and starts it once the user says install. Runs on the "Software Update Thread".
//
// An empty "UpdateURL" (the default: this project has no update service of its own) means
// no check. Endpoints and downloads must be https unless "AllowInsecureUpdate" is true.
// Without a notify target (headless) a check logs what it found and ends.
//
// Start, Stop and the destructor run on the server's (main) thread; the answers
// (AcceptDownload, Install, Cancel, SkipVersion) and GetState on any thread.
class CSoftwareUpdate : public IUpdateCheck {
public:
    enum State : int32_t {
        kIdle = 0,
        kChecking = 1,  // checking, or waiting for the user to accept the offer
        kDownload = 2,  // the user accepted the download
        kInstall = 3,   // the user said install
    };

    explicit CSoftwareUpdate(CServerContext& context,
                             std::string runningVersion = CServer::kVersion);
    ~CSoftwareUpdate() override;  // Stop()
    CSoftwareUpdate(const CSoftwareUpdate&) = delete;
    CSoftwareUpdate& operator=(const CSoftwareUpdate&) = delete;

    // Not owned; set before the first check and kept until Stop.
    void SetNotify(IUpdateNotify* notify) { m_notify = notify; }

    // Starts a check. One still checking or waiting for an answer to its offer is
    // cancelled first; one that is downloading or waiting to install is left alone (false).
    // `userStarted`: the user asked, so "up to date" and failures are told too.
    bool Start(bool userStarted);
    // Cancels the check and waits for its thread.
    void Stop();

    void StartAutomaticCheck() override { Start(false); }
    void StopCheck() override { Stop(); }

    void AcceptDownload() { SetState(kDownload); }
    void Install() { SetState(kInstall); }
    // Ends the check wherever it is (a transfer is aborted; nothing is installed).
    void Cancel();
    // Stores `version` as "UpdateSkipVersion" and ends the check.
    void SkipVersion(const std::string& version);

    State GetState() const;
    std::string RunningVersion() const { return m_runningVersion; }
    // The folder downloads go to: the data folder's "update/".
    std::string DownloadFolder() const;

private:
    void Run(bool userStarted);
    // Fetches the documents and picks the offer; false when the check ends here.
    bool Check(bool userStarted, CVersionInfoBody& offer, bool& beta);
    bool FetchOffer(const std::string& endpoint, CVersionInfoBody& offer, std::string& why);
    // Downloads and verifies; the file's path, "" on failure (logged and told).
    std::string Download(const CVersionInfoBody& offer);
    void StartProgram(const std::string& path, const std::string& parameters);
    void Fail(bool userStarted, const std::string& reason);
    void SetState(State state);
    // Waits until the state is `state` (true) or the check is cancelled (false).
    bool WaitForState(State state);
    bool Cancelled() const { return m_cancel.load(); }

    CServerContext& m_context;
    const std::string m_runningVersion;
    IUpdateNotify* m_notify = nullptr;
    CWorkerThread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    State m_state = kIdle;
    std::atomic<bool> m_cancel{false};
};

}  // namespace vantor
