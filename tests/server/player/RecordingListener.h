#pragma once

#include "server/core/Logger.h"
#include "server/player/Player.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vantor::test {

// Keeps every log line.
class CRecordingSink : public ILogSink {
public:
    void Write(const std::string& text, int level) override;
    bool Contains(const std::string& text) const;
    // How many lines contain the text.
    size_t Count(const std::string& text) const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

// Everything the adapter reported, in order.
class CRecordingListener : public IPlayerListener {
public:
    enum Kind {
        kVolume,
        kShuffle,
        kRepeat,
        kPlayingState,
        kPlaylistPosition,
        kPlayPosition,
        kCurrentMedia,
        kLibrary,
        kPlaylist,
        kEq
    };
    struct CEvent {
        Kind kind;
        int32_t value = 0;
        std::shared_ptr<CMediaItem> item;
    };

    void OnVolumeChanged(int32_t volume) override { Add({kVolume, volume, nullptr}); }
    void OnShuffleStateChanged(bool on) override { Add({kShuffle, on ? 1 : 0, nullptr}); }
    void OnRepeatStateChanged(bool on) override { Add({kRepeat, on ? 1 : 0, nullptr}); }
    void OnPlayingStateChanged(int32_t state) override { Add({kPlayingState, state, nullptr}); }
    void OnPlaylistPositionChanged(int32_t p) override { Add({kPlaylistPosition, p, nullptr}); }
    void OnPlayPositionChanged(int32_t s) override { Add({kPlayPosition, s, nullptr}); }
    void OnCurrentMediaChanged(const CMediaItem& item) override;
    void OnLibraryChanged() override { Add({kLibrary, 0, nullptr}); }
    void OnPlaylistChanged() override { Add({kPlaylist, 0, nullptr}); }
    void OnEqChanged() override { Add({kEq, 0, nullptr}); }

    std::vector<CEvent> Events() const;
    void Clear();
    // Waits until an event of that kind (with that value, unless any) came.
    bool WaitFor(Kind kind, std::function<bool(const CEvent&)> match = {}, int timeoutMs = 5000);
    size_t Count(Kind kind) const;

private:
    void Add(CEvent event);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<CEvent> m_events;
};

}  // namespace vantor::test
