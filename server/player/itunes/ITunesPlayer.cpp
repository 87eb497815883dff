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
      m_core(logger, [this](const CThreadMessage& message) { OnPumpMessage(message); }),
      m_stateMonitor(logger),
      m_playlistMonitor(logger) {}

CWin32ITunesPlayer::~CWin32ITunesPlayer() {
    Disconnect();
}

int32_t CWin32ITunesPlayer::Connect() {
    ResetCache();
    if (!m_core.Start("iTunes Message Pump",
                      "ERROR: Unable to obtain iTunes message pump thread ID!")) {
        return kResultPlayerComm;
    }
    return m_connected ? kResultSuccess : kResultPlayerComm;
}

void CWin32ITunesPlayer::Disconnect() {
    StopMonitors();
    m_core.Stop();
    m_connected = false;
}

bool CWin32ITunesPlayer::IsConnected() const {
    return m_connected;
}

int32_t CWin32ITunesPlayer::AddListener(IPlayerListener* listener) {
    m_core.SetListener(listener);
    return kResultSuccess;
}

int32_t CWin32ITunesPlayer::RemoveListener(IPlayerListener* listener) {
    m_core.RemoveListener(listener);
    return kResultSuccess;
}

bool CWin32ITunesPlayer::Application(CAutomationObject& app) {
    return m_core.Object(app);
}

void CWin32ITunesPlayer::OnPumpMessage(const CThreadMessage& message) {
    switch (message.message) {
        case CAutomationPlayerCore::kMessageStart:
            StartITunes();
            break;
        case CAutomationPlayerCore::kMessageRelease:
            ReleaseITunes();
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
    m_core.Register(m_application);
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
    m_core.Revoke();
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
            m_core.Post(kMessageCallsDisabled);
            return kS_OK;
        case kEventCallsEnabled:
            m_core.Post(kMessageCallsEnabled);
            return kS_OK;
        case kEventQuitting:
        case kEventAboutToPromptUserToQuit:
            m_core.Post(CAutomationPlayerCore::kMessageRelease);
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
        m_core.Restart(m_core.Cookie(),
                       "iTunes was killed without notifying COM API users, attempting to "
                       "restart iTunes automatically");
    }
    return itunes::ResultCodeFor(hr);
}

}  // namespace vantor
