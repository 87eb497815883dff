#include "server/library/MediaLibraryService.h"

#include "protocol/LibraryMessages.h"
#include "protocol/ResultCodes.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/Logger.h"
#include "server/core/ServerContext.h"
#include "server/library/MediaReaderFactory.h"
#include "server/library/MediaReaderMessages.h"
#include "server/library/tree/MediaTree.h"

namespace vantor {

namespace {

template <typename Response, typename Request>
std::unique_ptr<Response> ResponseTo(const Request& request, int32_t typeId) {
    auto response = std::make_unique<Response>(typeId);
    response->SetClientId(request.ClientId());
    response->SetRequestId(request.RequestId());
    response->SetReturnCode(kResultSuccess);
    return response;
}

std::unique_ptr<CMessage> AnswerGetMediaItem(IMediaDataStore& store,
                                             const CMediaItemRequest& request) {
    auto response = ResponseTo<CMediaItemResponse>(request, msg::GetMediaItemResponse);
    std::unique_ptr<CMediaItem> item;
    int result = 0;
    if (request.Body().id == -1) {
        auto track = std::make_unique<CMusicItem>();
        result = store.GetAudioTrackByPath(request.Body().path, *track);
        item = std::move(track);
    } else {
        result = store.GetMediaItem(request.Body().id, item);
    }
    CMediaItemBody& body = response->Body();
    if (item) {
        body.id = item->id;
        body.type = item->mediaType;
        body.title = item->name;
        body.path = item->path;
        if (auto* track = dynamic_cast<const CMusicItem*>(item.get()); track != nullptr) {
            body.artist = track->artist;
            body.album = track->album;
            body.trackNumber = track->trackNumber;
        }
    }
    response->SetReturnCode(result < 0 ? kResultMediaNotFound : kResultSuccess);
    return response;
}

std::unique_ptr<CMessage> AnswerBrowseLibrary(CMediaLibrary& library, IMediaDataStore& store,
                                              const CBrowseLibraryRequest& request) {
    auto response = ResponseTo<CBrowseLibraryResponse>(request, msg::BrowseLibraryResponse);
    const CLibraryQuery& query = request.Body();
    CLibraryListing& listing = response->Body();
    listing.path = query.path;
    MediaItemList items;
    int32_t total = -1;
    int result = BrowseLibrary(store, library.IsUpdating(), items, listing.path,
                               query.returnAllMediaItems, query.paging.start, query.paging.count,
                               query.paging.includeTotalCount ? &total : nullptr);
    if (query.paging.includeTotalCount) listing.paging.totalCount = total;
    listing.paging.start = query.paging.start;
    for (const auto& item : items) {
        listing.results.push_back(CLibraryEntry{item->id, item->mediaType, item->name, item->path});
    }
    response->SetReturnCode(result);
    return response;
}

}  // namespace

CMediaLibraryService::CMediaLibraryService(CServerContext& context, int playerType)
    : m_context(context),
      m_library(context.logger, context.config.GetDataFolder(),
                [&context, playerType] { return CreateMediaReader(playerType, context); }) {}

CMediaLibraryService::~CMediaLibraryService() {
    Stop();
}

int CMediaLibraryService::Start() {
    int result = m_library.Start(this);
    m_context.bus.Subscribe(RequestEvent(), this,
                            [this](CEventHolder& holder) { HandleRequest(holder); });
    m_subscribed = true;
    return result;
}

void CMediaLibraryService::Stop() {
    if (m_subscribed) {
        m_context.bus.Unsubscribe(this);
        m_subscribed = false;
    }
    m_library.Stop();
}

void CMediaLibraryService::OnMediaLibraryChanged() {
    auto event = std::make_unique<CMessage>(msg::MediaLibraryChangedEvent);
    event->SetClientId(-1);
    CEventHolder holder(std::move(event));
    m_context.bus.Fire(BroadcastEvent(), holder, this);
}

void CMediaLibraryService::Send(std::unique_ptr<CMessage> response) {
    CEventHolder holder(std::move(response));
    m_context.bus.Fire(ResponseEvent(), holder, this);
}

void CMediaLibraryService::HandleRequest(CEventHolder& holder) {
    if (!holder.message) return;
    const CMessage& request = *holder.message;
    if (request.TypeId() == msg::UpdateMediaLibraryRequest) {
        // Answered at once; the update itself runs on its own thread.
        const auto* update = dynamic_cast<const CRequestMessage*>(&request);
        if (update == nullptr) return;
        Send(ResponseTo<CResponseMessage>(*update, msg::UpdateMediaLibraryResponse));
        // A client's request is a user asking to rescan; the player service's own request
        // (client id 0) follows a change the player reported, which needs no rescan.
        if (update->ClientId() > 0) {
            m_library.StartRescan();
        } else {
            m_library.StartUpdate();
        }
        return;
    }
    std::unique_ptr<CMessage> response = Answer(request);
    if (response) Send(std::move(response));
}

std::unique_ptr<CMessage> CMediaLibraryService::Answer(const CMessage& request) {
    IMediaDataStore* store = m_library.Store();
    if (store == nullptr) return nullptr;
    switch (request.TypeId()) {
        case msg::GetMediaItemRequest:
            if (auto* get = dynamic_cast<const CMediaItemRequest*>(&request)) {
                return AnswerGetMediaItem(*store, *get);
            }
            break;
        case msg::BrowseGenresRequest:
            if (auto* browse = dynamic_cast<const CBrowseByNameRequest*>(&request)) {
                auto response =
                    ResponseTo<CBrowseGenresResponse>(*browse, msg::BrowseGenresResponse);
                const CPagingRequest& paging = browse->Body().paging;
                response->Body().paging.count = store->GetAudioGenres(
                    response->Body().names, paging.start, paging.count, nullptr);
                return response;
            }
            break;
        case msg::BrowseArtistsRequest:
            if (auto* browse = dynamic_cast<const CBrowseArtistsRequest*>(&request)) {
                auto response =
                    ResponseTo<CBrowseArtistsResponse>(*browse, msg::BrowseArtistsResponse);
                const CPagingRequest& paging = browse->Body().paging;
                response->Body().paging.count =
                    store->GetAudioArtists(response->Body().names, browse->Body().genre,
                                           paging.start, paging.count, nullptr);
                return response;
            }
            break;
        case msg::MediaSearchRequest:
            if (auto* search = dynamic_cast<const CMediaSearchRequest*>(&request)) {
                auto response = ResponseTo<CMediaSearchResponse>(*search, msg::MediaSearchResponse);
                MediaItemList items;
                const CPagingRequest& paging = search->Body().paging;
                store->Search(items, search->Body().any, paging.start, paging.count);
                response->Body().paging.start = paging.start;
                for (const auto& item : items) {
                    response->Body().results.push_back(
                        CSearchResult{item->id, item->mediaType, item->name});
                }
                return response;
            }
            break;
        case msg::BrowseLibraryRequest:
            if (auto* browse = dynamic_cast<const CBrowseLibraryRequest*>(&request)) {
                return AnswerBrowseLibrary(m_library, *store, *browse);
            }
            break;
        case msg::AddMediaReaderRequest:
        case msg::RemoveMediaReaderRequest:
            if (auto* readerRequest = dynamic_cast<const CMediaReaderRequest*>(&request)) {
                if (request.TypeId() == msg::AddMediaReaderRequest) {
                    m_library.AddReader(readerRequest->Reader());
                } else {
                    m_library.RemoveReader(readerRequest->Reader());
                }
                return ResponseTo<CResponseMessage>(*readerRequest, request.TypeId() + 1);
            }
            break;
        default:
            break;
    }
    return nullptr;
}

std::unique_ptr<IService> CreateMediaLibraryService(CServerContext& context, int playerType) {
    return std::make_unique<CMediaLibraryService>(context, playerType);
}

}  // namespace vantor
