#include "server/player/automation/AutomationPlayerCore.h"

#include "server/core/Logger.h"

namespace vantor {

CAutomationPlayerCore::CAutomationPlayerCore(CLogger& logger,
                                             std::function<void(const CThreadMessage&)> handler)
    : m_logger(logger), m_pump(logger), m_handler(std::move(handler)) {}

bool CAutomationPlayerCore::Start(const std::string& pumpName, const char* noPumpLine) {
    const bool started = m_pump.Start(pumpName, [this](const CThreadMessage& message) {
        m_handler(message);
        if (message.message == kMessageStart || message.message == kMessageRelease) {
            m_pump.SetReady();
        }
    });
    if (!started) {
        m_logger.LogCritical("%s", noPumpLine);
        return false;
    }
    m_pump.ResetReady();
    m_pump.Post(kMessageStart);
    m_pump.WaitReady(kReadyWaitMs);
    return true;
}

void CAutomationPlayerCore::Stop() {
    m_pump.Post(kMessageRelease);
    m_pump.Stop();
}

void CAutomationPlayerCore::Restart(uint32_t cookieSeen, const char* line) {
    if (m_pump.IsPumpThread()) {
        return;
    }
    std::lock_guard lock(m_restartMutex);
    if (m_cookie != cookieSeen) {
        return;  // someone attached afresh meanwhile
    }
    m_logger.LogNormal("%s", line);
    m_pump.ResetReady();
    m_pump.Post(kMessageRelease);
    m_pump.WaitReady(kReadyWaitMs);
    m_pump.ResetReady();
    m_pump.Post(kMessageStart);
    m_pump.WaitReady(kReadyWaitMs);
}

bool CAutomationPlayerCore::Object(CAutomationObject& object) const {
    const uint32_t cookie = m_cookie;
    return cookie != 0 && Succeeded(CGlobalInterfaceTable::Instance().Get(cookie, object));
}

void CAutomationPlayerCore::Register(const CAutomationObject& object) {
    m_cookie = CGlobalInterfaceTable::Instance().Register(object);
}

void CAutomationPlayerCore::Revoke() {
    if (const uint32_t cookie = m_cookie.exchange(0); cookie != 0) {
        CGlobalInterfaceTable::Instance().Revoke(cookie);
    }
}

void CAutomationPlayerCore::SetListener(IPlayerListener* listener) {
    std::lock_guard lock(m_listenerMutex);
    m_listener = listener;
}

void CAutomationPlayerCore::RemoveListener(IPlayerListener* listener) {
    std::lock_guard lock(m_listenerMutex);
    if (m_listener == listener) m_listener = nullptr;
}

IPlayerListener* CAutomationPlayerCore::Listener() {
    std::lock_guard lock(m_listenerMutex);
    return m_listener;
}

}  // namespace vantor
