#include "tests/server/player/RecordingListener.h"

#include <chrono>

namespace vantor::test {

void CRecordingSink::Write(const std::string& text, int) {
    std::lock_guard lock(m_mutex);
    m_lines.push_back(text);
}

bool CRecordingSink::Contains(const std::string& text) const {
    return Count(text) > 0;
}

size_t CRecordingSink::Count(const std::string& text) const {
    std::lock_guard lock(m_mutex);
    size_t n = 0;
    for (const std::string& line : m_lines) {
        n += line.find(text) != std::string::npos ? 1 : 0;
    }
    return n;
}

void CRecordingListener::OnCurrentMediaChanged(const CMediaItem& item) {
    Add({kCurrentMedia, 0, std::shared_ptr<CMediaItem>(item.Clone())});
}

void CRecordingListener::Add(CEvent event) {
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    m_changed.notify_all();
}

std::vector<CRecordingListener::CEvent> CRecordingListener::Events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

void CRecordingListener::Clear() {
    std::lock_guard lock(m_mutex);
    m_events.clear();
}

size_t CRecordingListener::Count(Kind kind) const {
    std::lock_guard lock(m_mutex);
    size_t n = 0;
    for (const CEvent& event : m_events) {
        n += event.kind == kind ? 1 : 0;
    }
    return n;
}

bool CRecordingListener::WaitFor(Kind kind, std::function<bool(const CEvent&)> match,
                                 int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        for (const CEvent& event : m_events) {
            if (event.kind == kind && (!match || match(event))) {
                return true;
            }
        }
        return false;
    });
}

}  // namespace vantor::test
