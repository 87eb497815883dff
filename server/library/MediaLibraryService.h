#pragma once

#include "server/core/Service.h"
#include "server/library/MediaLibrary.h"

#include <memory>

namespace vantor {

class CEventHolder;
class CMessage;
struct CServerContext;

// The service in place 0: owns the media library, answers the library requests that arrive
// on event 6 (answers on event 7, to the asking client) and broadcasts
// MediaLibraryChangedEvent on event 8 after every update. Request handlers run on the
// firing thread; Start and Stop on the server's thread.
class CMediaLibraryService : public IService, private IMediaLibraryListener {
public:
    // The library's reader is made for `playerType` (see MediaReaderFactory.h).
    CMediaLibraryService(CServerContext& context, int playerType);
    ~CMediaLibraryService() override;

    int Start() override;
    void Stop() override;
    std::string ShortName() const override { return "medialib"; }
    std::string DisplayName() const override { return "Media Library"; }
    std::string Version() const override { return "1.0"; }
    int RequestEvent() const override { return 6; }
    int ResponseEvent() const override { return 7; }
    int BroadcastEvent() const override { return 8; }

    CMediaLibrary& Library() { return m_library; }

private:
    void OnMediaLibraryChanged() override;
    void HandleRequest(CEventHolder& holder);
    std::unique_ptr<CMessage> Answer(const CMessage& request);
    void Send(std::unique_ptr<CMessage> response);

    CServerContext& m_context;
    CMediaLibrary m_library;
    bool m_subscribed = false;
};

// The factory the server registers for place 0.
std::unique_ptr<IService> CreateMediaLibraryService(CServerContext& context, int playerType);

}  // namespace vantor
