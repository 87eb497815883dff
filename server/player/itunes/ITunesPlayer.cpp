// Attaching to iTunes: the message pump, creating and releasing the application object, the
// event sink and the restart after iTunes vanished.

#include "server/player/itunes/ITunesPlayer.h"

#include "protocol/ResultCodes.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/player/itunes/ITunesErrors.h"

namespace vantor {

namespace {

constexpr const char* kProgId = "iTunes.Application";

// Dispatch ids of iTunes' event interface.
enum ITunesEvent : uint32_t {
    kEventDatabaseChanged = 1,
    kEventVolumeChanged = 10,
    kEventCallsDisabled = 6,
    kEventCallsEnabled = 7,
    kEventQuitting = 8,
    kEventAboutToPromptUserToQuit = 9,
};

}  // namespace

CWin32ITunesPlayer::CWin32ITunesPlayer(CLogger& logger, CConfigStore& config)
    : m_logger(logger),
      m_config(config),
      m_pump(logger),
      m_stateMonitor(logger),
      m_playlistMonitor(logger) {}

CWin32ITunesPlayer::~CWin32ITunesPlayer() {
    Disconnect();
}

int32_t CWin32ITunesPlayer::Connect() {
    ResetCache();
    if (!m_pump.Start("iTunes Message Pump",
                      [this](const CThreadMessage& message) { OnPumpMessage(message); })) {
        m_logger.LogCritical("ERROR: Unable to obtain iTunes message pump thread ID!");
        return kResultPlayerComm;
    }
    m_pump.ResetReady();
    m_pump.Post(kMessageStart);
    m_pump.WaitReady(kReadyWaitMs);
    return m_connected ? kResultSuccess : kResultPlayerComm;
}

void CWin32ITunesPlayer::Disconnect() {
    StopMonitors();
    m_pump.Post(kMessageRelease);
    m_pump.Stop();
    m_connected = false;
}

bool CWin32ITunesPlayer::IsConnected() const {
    return m_connected;
}

int32_t CWin32ITunesPlayer::AddListener(IPlayerListener* listener) {
    std::lock_guard lock(m_listenerMutex);
    m_listener = listener;
    return kResultSuccess;
}

int32_t CWin32ITunesPlayer::RemoveListener(IPlayerListener* listener) {
    std::lock_guard lock(m_listenerMutex);
    if (m_listener == listener) {
        m_listener = nullptr;
    }
    return kResultSuccess;
}

IPlayerListener* CWin32ITunesPlayer::Listener() {
    std::lock_guard lock(m_listenerMutex);
    return m_listener;
}

bool CWin32ITunesPlayer::Application(CAutomationObject& app) {
    const uint32_t cookie = m_cookie;
    return cookie != 0 && Succeeded(CGlobalInterfaceTable::Instance().Get(cookie, app));
}

void CWin32ITunesPlayer::OnPumpMessage(const CThreadMessage& message) {
    switch (message.message) {
        case kMessageStart:
            StartITunes();
            m_pump.SetReady();
            break;
        case kMessageRelease:
            ReleaseITunes();
            m_pump.SetReady();
            break;
        case kMessageCallsDisabled:
            if (m_callsEnabled) {
                m_callsEnabled = false;
                m_logger.LogNormal(
                    "CWin32ITunesPlayer: Pausing state threads due to COM calls state change");
                StopMonitors();
            }
            break;
        case kMessageCallsEnabled:
            if (!m_callsEnabled) {
                m_callsEnabled = true;
                m_logger.LogNormal(
                    "CWin32ITunesPlayer: Resuming state threads due to COM calls state change");
                StartMonitors();
            }
            break;
        default:
            break;
    }
}

void CWin32ITunesPlayer::StartITunes() {
    if (!m_application.IsNull()) {
        ReleaseITunes();
    }
    if (Failed(CreateAutomationObject(kProgId, m_config.GetITunesProgram(), m_application))) {
        m_logger.LogCritical("ERROR: iTunes is not installed or is unaccessible");
        return;
    }
    m_cookie = CGlobalInterfaceTable::Instance().Register(m_application);
    if (m_logger.GetLevel() > kLogCritical) {
        std::string version;
        m_application.Get("Version", version);
        m_logger.LogNormal("iTunes version is %s", version.c_str());
    }
    std::string libraryPath;
    if (Succeeded(m_application.Get("LibraryXMLPath", libraryPath)) &&
        libraryPath != m_config.GetString("Paths\\DefaultITunesXML", "")) {
        m_config.SetString("Paths\\DefaultITunesXML", libraryPath);
        if (m_config.GetString("Paths\\iTunesXML", "").empty()) {
            if (IPlayerListener* listener = Listener()) {
                listener->OnLibraryChanged();
            }
        }
    }
    m_callsEnabled = true;
    if (Failed(AutomationAdvise(m_application, this, m_eventCookie))) {
        m_logger.LogCritical("ERROR: Could not subscribe to iTunes COM events!");
    }
    m_connected = true;
    StartMonitors();
}

void CWin32ITunesPlayer::ReleaseITunes() {
    StopMonitors();
    if (m_eventCookie != 0) {
        AutomationUnadvise(m_eventCookie);
        m_eventCookie = 0;
    }
    if (const uint32_t cookie = m_cookie.exchange(0); cookie != 0) {
        CGlobalInterfaceTable::Instance().Revoke(cookie);
    }
    m_application = CAutomationObject();
}

void CWin32ITunesPlayer::StartMonitors() {
    m_stateMonitor.Start("iTunes State Monitor", kStateMonitorPeriodMs,
                         [this] { StateMonitorPass(); });
    m_playlistMonitor.Start("iTunes Playlist Monitor", kPlaylistMonitorPeriodMs,
                            [this] { PlaylistMonitorPass(); });
}

void CWin32ITunesPlayer::StopMonitors() {
    m_stateMonitor.Stop();
    m_playlistMonitor.Stop();
}

HRESULT CWin32ITunesPlayer::OnEvent(uint32_t dispatchId, const CVariantList&) {
    switch (dispatchId) {
        case kEventCallsDisabled:
            m_pump.Post(kMessageCallsDisabled);
            return kS_OK;
        case kEventCallsEnabled:
            m_pump.Post(kMessageCallsEnabled);
            return kS_OK;
        case kEventQuitting:
        case kEventAboutToPromptUserToQuit:
            m_pump.Post(kMessageRelease);
            return kS_OK;
        default:
            return dispatchId >= kEventDatabaseChanged && dispatchId <= kEventVolumeChanged
                       ? kS_OK
                       : kDISP_E_MEMBERNOTFOUND;
    }
}

int32_t CWin32ITunesPlayer::Report(const char* callText, HRESULT hr) {
    m_logger.LogCritical("ERROR: CWin32ITunesPlayer: %s: %s [0x%08x]", callText,
                         itunes::DescribeResult(hr), static_cast<uint32_t>(hr));
    if (hr == kRPC_S_SERVER_UNAVAILABLE) {
        Restart(m_cookie);
    }
    return itunes::ResultCodeFor(hr);
}

void CWin32ITunesPlayer::Restart(uint32_t cookieSeen) {
    if (m_pump.IsPumpThread()) {
        return;  // the pump cannot wait for itself; the next caller restarts
    }
    std::lock_guard lock(m_restartMutex);
    if (m_cookie != cookieSeen) {
        return;  // someone restarted it meanwhile
    }
    m_logger.LogNormal(
        "iTunes was killed without notifying COM API users, attempting to restart iTunes "
        "automatically");
    m_pump.ResetReady();
    m_pump.Post(kMessageRelease);
    m_pump.WaitReady(kReadyWaitMs);
    m_pump.ResetReady();
    m_pump.Post(kMessageStart);
    m_pump.WaitReady(kReadyWaitMs);
}

}  // namespace vantor
