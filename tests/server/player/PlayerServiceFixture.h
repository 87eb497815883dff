#pragma once

#include "protocol/Messages.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/Logger.h"
#include "server/core/ServerContext.h"
#include "server/player/sim/SimPlayerService.h"
#include "server/player/sim/SimulatedPlayer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vantor::test {

using Clock = std::chrono::steady_clock;

// Keeps every logged line.
class CLogCapture : public ILogSink {
public:
    void Write(const std::string& text, int) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_text += text;
    }
    bool Contains(const std::string& part) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_text.find(part) != std::string::npos;
    }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
};

// One message seen on the bus.
struct CSeen {
    int eventId;
    std::unique_ptr<CMessage> message;
    Clock::time_point at;
};

// A server without channels: logger, configuration in a temporary folder, the bus, a
// recorder of responses (13), broadcasts (14) and library requests (6), and a library
// stand-in that answers library requests through `answer` (null reply: keep it waiting).
class CPlayerServiceHarness {
public:
    using Answer = std::function<std::unique_ptr<CResponseMessage>(const CRequestMessage&)>;

    explicit CPlayerServiceHarness(const std::string& name)
        : m_folder(std::filesystem::temp_directory_path() /
                   ("vantor-player-" + std::to_string(::getpid()) + "-" + name)),
          m_config((std::filesystem::remove_all(m_folder),
                    std::filesystem::create_directories(m_folder), m_folder.string() + "/")),
          m_bus(m_logger),
          m_context{m_logger, m_config, m_bus} {
        m_logger.AddSink(&m_log);
        for (int id : {event::PlayerResponse, event::PlayerBroadcast, event::LibraryRequest}) {
            m_bus.Subscribe(id, this, [this, id](CEventHolder& holder) { Record(id, holder); });
        }
        m_service = std::make_unique<CSimPlayerService>(m_context);
        m_service->Start();
    }

    ~CPlayerServiceHarness() {
        m_service.reset();
        m_bus.Unsubscribe(this);
        m_logger.RemoveSink(&m_log);
        std::filesystem::remove_all(m_folder);
    }

    // The started service over the simulated player.
    CSimPlayerService& Service() { return *m_service; }
    CSimulatedPlayer& Player() { return *Service().Simulated(); }

    void SetAnswer(Answer answer) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_answer = std::move(answer);
    }

    // Sends a player request as the router would, from client 5.
    void Send(std::unique_ptr<CRequestMessage> request, int32_t requestId) {
        request->SetClientId(5);
        request->SetRequestId(requestId);
        CEventHolder holder(std::move(request));
        m_bus.Fire(event::PlayerRequest, holder, &m_bus);
    }
    void Send(int32_t typeId, int32_t requestId) {
        Send(std::make_unique<CRequestMessage>(typeId), requestId);
    }

    void FireConnection(int eventId) {
        CEventHolder holder(std::make_unique<CMessage>());
        holder.message->SetClientId(1);
        m_bus.Fire(eventId, holder, &m_bus);
    }

    // Answers the library requests kept waiting, in order, with `answer`.
    void AnswerWaiting(const Answer& answer) {
        std::vector<std::unique_ptr<CRequestMessage>> waiting;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            waiting.swap(m_waiting);
        }
        for (const auto& request : waiting) Reply(*request, answer(*request));
    }

    // Messages of one event (and type, unless 0) seen so far.
    std::vector<const CMessage*> Seen(int eventId, int32_t typeId = 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<const CMessage*> found;
        for (const CSeen& seen : m_seen) {
            if (seen.eventId == eventId && (typeId == 0 || seen.message->TypeId() == typeId)) {
                found.push_back(seen.message.get());
            }
        }
        return found;
    }
    // Time of the n-th message of that event and type, or none.
    std::optional<Clock::time_point> SeenAt(int eventId, int32_t typeId, size_t n = 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const CSeen& seen : m_seen) {
            if (seen.eventId == eventId && seen.message->TypeId() == typeId && n-- == 0) {
                return seen.at;
            }
        }
        return std::nullopt;
    }
    // The single response seen; fails the test when there is not exactly one.
    const CResponseMessage* OnlyResponse() {
        const auto responses = Seen(event::PlayerResponse);
        EXPECT_EQ(responses.size(), 1u);
        return responses.size() == 1 ? dynamic_cast<const CResponseMessage*>(responses[0])
                                     : nullptr;
    }
    void ClearSeen() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_seen.clear();
    }

    // Waits until `count` messages of that event and type were seen.
    bool WaitFor(int eventId, int32_t typeId, size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] {
            size_t n = 0;
            for (const CSeen& seen : m_seen) {
                n += seen.eventId == eventId && seen.message->TypeId() == typeId ? 1 : 0;
            }
            return n >= count;
        });
    }

    CLogCapture& Log() { return m_log; }
    CConfigStore& Config() { return m_config; }
    CServerContext& Context() { return m_context; }
    CEventBus& Bus() { return m_bus; }
    const std::filesystem::path& Folder() const { return m_folder; }

private:
    void Record(int eventId, CEventHolder& holder) {
        Answer answer;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_seen.push_back({eventId, holder.message->Clone(), Clock::now()});
            answer = m_answer;
        }
        m_changed.notify_all();
        if (eventId != event::LibraryRequest) return;
        const auto* request = dynamic_cast<const CRequestMessage*>(holder.message.get());
        if (request == nullptr) return;
        std::unique_ptr<CResponseMessage> reply = answer ? answer(*request) : nullptr;
        if (reply) {
            Reply(*request, std::move(reply));
        } else {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_waiting.emplace_back(static_cast<CRequestMessage*>(request->Clone().release()));
        }
    }

    void Reply(const CRequestMessage& request, std::unique_ptr<CResponseMessage> reply) {
        if (!reply) return;
        reply->SetClientId(request.ClientId());
        reply->SetRequestId(request.RequestId());
        CEventHolder holder(std::move(reply));
        m_bus.Fire(event::LibraryReply, holder, &m_folder);
    }

    std::filesystem::path m_folder;
    CLogger m_logger;
    CLogCapture m_log;
    CConfigStore m_config;
    CEventBus m_bus;
    CServerContext m_context;
    std::unique_ptr<CSimPlayerService> m_service;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<CSeen> m_seen;
    Answer m_answer;
    std::vector<std::unique_ptr<CRequestMessage>> m_waiting;
};

inline std::unique_ptr<CMusicItem> Track(const std::string& artist, const std::string& title,
                                         int32_t length = 200) {
    auto track = std::make_unique<CMusicItem>();
    track->artist = artist;
    track->album = "Album of " + artist;
    track->name = title;
    track->length = length;
    return track;
}

}  // namespace vantor::test
