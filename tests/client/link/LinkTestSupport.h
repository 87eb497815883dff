#pragma once

// Test helpers for the link: a listener that records its calls as text, and a stand-in
// server on 127.0.0.1 whose every byte the test decides.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "client/link/ConnectView.h"
#include "client/link/LinkListener.h"
#include "platform/NetSocket.h"

namespace vantor::test {

// Waits until `condition` holds, looking every 10 ms; false after the timeout.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// Waits until `look` gives something else than `before`, then until it holds still (the same
// twice 150 ms apart): a picture that changed and is drawn whole.
bool ChangedThenStill(const std::function<uint64_t()>& look, uint64_t before,
                      int timeoutMs = 15000);

// Every listener call as one line ("volume 30", "state 0", "media Title", ...).
class RecordingListener : public client::LinkListener {
public:
    std::vector<std::string> Calls() const;
    void Clear();
    // Waits until a call equal to `call` was recorded.
    bool WaitFor(const std::string& call, int timeoutMs = 10000) const;
    bool Has(const std::string& call) const;

    void OnMediaChanged(const CCurrentMedia& media) override { Add("media " + media.title); }
    void OnVolumeChanged(int32_t volume) override { Add("volume " + std::to_string(volume)); }
    void OnShuffleChanged(bool on) override { Add(std::string("shuffle ") + (on ? "on" : "off")); }
    void OnRepeatChanged(bool on) override { Add(std::string("repeat ") + (on ? "on" : "off")); }
    void OnPlayingStateChanged(int32_t state) override { Add("state " + std::to_string(state)); }
    void OnPlaylistPositionChanged(int32_t position) override {
        Add("row " + std::to_string(position));
    }
    void OnPlayPositionChanged(int32_t seconds) override {
        Add("position " + std::to_string(seconds));
    }
    void OnPlaylistChanged() override { Add("playlist"); }
    void OnEqChanged(const client::CachedEq& eq) override {
        Add("eq preamp " + std::to_string(eq.settings.preamp));
    }
    void OnCapabilitiesReceived(const CPlayerCapabilitiesResponse&) override {
        Add("capabilities");
    }
    void OnMediaLibraryChanged() override { Add("library"); }
    void OnPlaylistItemsReceived(const CPlaylistItemsResponse& r) override {
        Add("items " + std::to_string(r.Body().totalCount));
    }
    void OnAlbumArtReceived(const std::string& url) override { Add("art " + url); }
    void OnLibraryListingReceived(const std::string& path, const CBrowseLibraryResponse&) override {
        Add("listing " + path);
    }
    void OnSearchResultsReceived(const CMediaSearchResponse& r) override {
        Add("search " + std::to_string(r.Body().results.size()));
    }
    void OnClientVersionReceived(const CClientVersionResponse& r) override {
        Add("version " + std::to_string(r.ReturnCode()));
    }
    void OnConnectionLost() override {
        Add("lost");
        if (onLost) onLost();
    }

    std::function<void()> onLost;  // set before connecting

private:
    void Add(const std::string& call);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<std::string> m_calls;
};

// A connect screen that records the texts it is shown.
class RecordingView : public client::ConnectView {
public:
    bool IsConnectScreenShown() override { return connectScreen; }
    std::string StatusText() override;
    void SetStatusText(const std::string& text) override;
    void SetConnecting(bool on) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    void OnConnected() override;

    std::vector<std::string> Events() const;
    int Connections() const;
    bool connectScreen = true;

private:
    mutable std::mutex m_mutex;
    std::string m_status;
    std::vector<std::string> m_events;
    int m_connections = 0;
};

// A TCP server on 127.0.0.1 taking one connection at a time; documents it receives are
// kept, and the test writes raw bytes back.
class StandInServer {
public:
    StandInServer();
    ~StandInServer();

    int Port() const { return m_port; }
    // Waits for a client and starts reading its documents.
    bool Accept(int timeoutMs = 5000);
    bool Send(const std::string& bytes);
    // Closes the client's connection.
    void Drop() { m_client.Close(); }
    // The received documents (without their zero bytes).
    std::vector<std::string> Documents() const;
    bool WaitForDocuments(size_t count, int timeoutMs = 5000) const;

private:
    CNetSocket m_listener;
    CNetSocket m_client;
    int m_port = 0;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<std::string> m_documents;
};

}  // namespace vantor::test
