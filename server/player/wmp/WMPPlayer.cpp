// Attaching to the player: the message pump, creating the control in remote mode, its events
// and the restart after the player vanished.

#include "server/player/wmp/WMPPlayer.h"

#include "protocol/ResultCodes.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/player/wmp/WMPErrors.h"

namespace vantor {

namespace {

constexpr const char* kProgId = "WMPlayer.OCX";
constexpr size_t kMaxMessageText = 500;

// Dispatch ids of the control's events.
enum WMPEvent : uint32_t {
    kEventPlayStateChange = 5101,
    kEventPositionChange = 5202,
    kEventCurrentPlaylistChange = 5804,
    kEventCurrentItemChange = 5806,
    kEventModeChange = 5808,
    kEventMediaCollectionChange = 5820,
};

}  // namespace

CWMPPlayer::CWMPPlayer(CLogger& logger, CConfigStore& config)
    : m_logger(logger),
      m_config(config),
      m_core(logger, [this](const CThreadMessage& message) { OnPumpMessage(message); }),
      m_stateMonitor(logger),
      m_playlistMonitor(logger),
      m_positionMonitor(logger) {}

CWMPPlayer::~CWMPPlayer() {
    Disconnect();
}

int32_t CWMPPlayer::Connect() {
    ResetCache();
    if (!m_core.Start("WMP Message Pump", "ERROR: Unable to obtain WMP message pump thread ID!")) {
        return kResultPlayerComm;
    }
    return m_connected ? kResultSuccess : kResultPlayerComm;
}

void CWMPPlayer::Disconnect() {
    StopMonitors();
    m_core.Stop();
    m_connected = false;
}

bool CWMPPlayer::IsConnected() const {
    return m_connected;
}

int32_t CWMPPlayer::AddListener(IPlayerListener* listener) {
    m_core.SetListener(listener);
    return kResultSuccess;
}

int32_t CWMPPlayer::RemoveListener(IPlayerListener* listener) {
    m_core.RemoveListener(listener);
    return kResultSuccess;
}

bool CWMPPlayer::Control(CAutomationObject& player) {
    return m_core.Object(player);
}

void CWMPPlayer::OnPumpMessage(const CThreadMessage& message) {
    if (message.message == CAutomationPlayerCore::kMessageStart) {
        StartPlayer();
    } else if (message.message == CAutomationPlayerCore::kMessageRelease) {
        ReleasePlayer();
    }
}

void CWMPPlayer::StartPlayer() {
    if (!m_control.IsNull()) ReleasePlayer();
    if (Failed(CreateAutomationObject(kProgId, m_config.GetWMPProgram(), m_control))) {
        m_logger.LogCritical("ERROR: Windows Media Player is not installed or is unaccessible");
        return;
    }
    if (Failed(m_control.Put("remoteHost", m_remoteHost.ServiceMode()))) {
        m_logger.LogCritical(
            "ERROR: Unable to obtain IID_IObjectWithSite from ActiveX control container!");
    }
    m_core.Register(m_control);
    if (m_logger.GetLevel() > kLogCritical) {
        std::string version;
        m_control.Get("versionInfo", version);
        m_logger.LogNormal("Windows Media Player version is %s", version.c_str());
    }
    if (Failed(AutomationAdvise(m_control, this, m_eventCookie))) {
        m_logger.LogCritical("ERROR: Could not subscribe to Windows Media Player COM events!");
    }
    m_connected = true;
    m_positionMark = true;
    m_stateMonitor.Start("WMP State Monitor", kStateMonitorPeriodMs,
                         [this] { StateMonitorPass(); });
    m_playlistMonitor.Start("WMP Playlist Monitor", kPlaylistMonitorPeriodMs,
                            [this] { PlaylistMonitorPass(); });
    m_positionMonitor.Start("WMP Playlist Position Monitor", kPositionMonitorPeriodMs,
                            [this] { PositionMonitorPass(); });
}

void CWMPPlayer::ReleasePlayer() {
    StopMonitors();
    if (m_eventCookie != 0) {
        AutomationUnadvise(m_eventCookie);
        m_eventCookie = 0;
    }
    m_core.Revoke();
    m_control = CAutomationObject();
}

void CWMPPlayer::StopMonitors() {
    m_stateMonitor.Stop();
    m_playlistMonitor.Stop();
    m_positionMonitor.Stop();
}

HRESULT CWMPPlayer::OnEvent(uint32_t dispatchId, const CVariantList& arguments) {
    IPlayerListener* listener = Listener();
    int32_t value = 0;
    const bool hasValue = !arguments.empty() && FromVariant(arguments.back(), value);
    switch (dispatchId) {
        case kEventPlayStateChange: {
            if (!hasValue) return kE_INVALIDARG;
            const int32_t state = wmp::PlayingStateFromPlayState(value);
            bool changed = false;
            {
                std::lock_guard lock(m_stateMutex);
                changed = state != m_playingState;
                m_playingState = state;
            }
            m_positionMark = true;
            if (changed && listener) listener->OnPlayingStateChanged(state);
            return kS_OK;
        }
        case kEventModeChange: {
            std::string mode;
            if (!hasValue || arguments.size() < 2 || !FromVariant(arguments[0], mode)) {
                return kE_INVALIDARG;
            }
            const bool on = value != 0;
            bool changed = false;
            {
                std::lock_guard lock(m_stateMutex);
                bool& cached = mode == "shuffle" ? m_shuffle : m_repeat;
                changed = (mode == "shuffle" || mode == "loop") && cached != on;
                if (changed) cached = on;
            }
            if (changed && listener) {
                mode == "shuffle" ? listener->OnShuffleStateChanged(on)
                                  : listener->OnRepeatStateChanged(on);
            }
            return kS_OK;
        }
        case kEventCurrentItemChange:
        case kEventCurrentPlaylistChange:
            m_positionMark = true;
            return kS_OK;
        case kEventPositionChange:
        case kEventMediaCollectionChange:
            return kS_OK;
        default:
            return kDISP_E_MEMBERNOTFOUND;
    }
}

int32_t CWMPPlayer::Report(const char* callText, HRESULT hr) {
    std::string text = wmp::MessageText(hr);
    if (text.size() > kMaxMessageText) text.resize(kMaxMessageText);
    m_logger.LogNormal("CWMPPlayer: %s: %s [0x%08x]", callText, text.c_str(),
                       static_cast<uint32_t>(hr));
    if (hr == kRPC_S_SERVER_UNAVAILABLE) {
        m_core.Restart(m_core.Cookie(), "Windows Media Player has gone, attaching to it again");
        return kResultPlayerComm;
    }
    return kResultPlayerCommandFailed;
}

}  // namespace vantor
