#pragma once

#include "protocol/LibraryMessages.h"
#include "server/web/HttpRequest.h"
#include "server/web/WebEventQueues.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace vantor {

class CEventHolder;
class CMessage;
class IHttpResponder;
struct CServerContext;

// The paths of the HTTP channel: start page, /q event queues, the /xml protocol bridge,
// album art, client files, logs, media files from the library and the pages under the
// HTTP root. Requests are handled on their connection's receiver thread.
class CWebRoutes {
public:
    // Seconds a poll is held before it is answered with no events ("HTTP\PollHoldSeconds").
    static constexpr int kDefaultHoldSeconds = 120;
    // How long a /media/ request waits for the library to name the file.
    static constexpr int kMediaWaitMs = 30000;

    // source is the channel as the router knows it (the event source of its messages).
    CWebRoutes(CServerContext& context, IHttpResponder& responder, const void* source);
    ~CWebRoutes();
    CWebRoutes(const CWebRoutes&) = delete;
    CWebRoutes& operator=(const CWebRoutes&) = delete;

    // Reads the folders and settings and subscribes to library replies; StopRoutes undoes it
    // and wakes /media/ requests still waiting.
    void StartRoutes(const std::string& httpRoot, const std::string& workingFolder);
    void StopRoutes();

    // Answers (or holds) one request of a connection. Receiver thread.
    void Dispatch(int32_t connection, const CHttpRequest& request);

    // A broadcast (clientId -1) for the web clients: into every queue. Any thread.
    void Broadcast(const CMessage& message);

    // One pass of the connection monitor: ends held polls that waited long enough.
    // secondsSinceStart lets a freshly started channel answer them after one second.
    void ExpirePolls(int64_t secondsSinceStart);

    void ConnectionClosed(int32_t connection);
    // True while a poll of this connection is held open. Any thread.
    bool IsHoldingPoll(int32_t connection) const { return m_queues.IsHeld(connection); }
    CWebEventQueues& Queues() { return m_queues; }

private:
    void StartPage(int32_t connection, const CHttpRequest& request);
    void EventQueue(int32_t connection, const CHttpRequest& request);
    void ProtocolBridge(int32_t connection, const CHttpRequest& request);
    void MediaFile(int32_t connection, const CHttpRequest& request, const std::string& id);
    // /art/?track=ID: the cover of a library track (the player's art search, as for the
    // current track), sent from the art cache.
    void TrackArt(int32_t connection, const CHttpRequest& request, const std::string& id);
    // Asks the library for one item and waits for its answer (false: none came, or the
    // library does not know the id).
    bool AskLibraryForItem(int32_t id, CMediaItemBody& item);
    void OnPlayerResponse(CEventHolder& holder);
    bool IsStopping();
    void RootFile(int32_t connection, const CHttpRequest& request);
    void SendNamedFile(int32_t connection, const CHttpRequest& request, const std::string& folder,
                       const std::string& name);
    void OnLibraryReply(CEventHolder& holder);
    // "http://" + the request's Host (or this machine's address and port) + path.
    std::string Absolute(const CHttpRequest& request, const std::string& path) const;

    CServerContext& m_context;
    IHttpResponder& m_responder;
    const void* m_source;
    std::string m_httpRoot;
    std::string m_workingFolder;
    int m_holdSeconds = kDefaultHoldSeconds;
    CWebEventQueues m_queues;

    // /media/ requests waiting for the library: sequence id -> file path once known.
    struct CPendingMedia {
        bool answered = false;
        bool found = false;
        CMediaItemBody item;
    };
    std::mutex m_mediaLock;
    std::condition_variable m_mediaAnswered;
    std::map<int32_t, CPendingMedia> m_pendingMedia;
    // Art requests sent to the player service: sequence id -> art URL ("" until answered).
    std::map<int32_t, std::string> m_pendingArt;
    bool m_stopping = false;
};

}  // namespace vantor
