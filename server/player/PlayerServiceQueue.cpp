// Requests that need the library first: the lookup goes out on the library-request event
// under a fresh sequence id, the action waits in the table, and the library's reply
// (clientId 0, requestId = that sequence id) completes it.

#include "protocol/Messages.h"
#include "protocol/ResultCodes.h"
#include "server/core/EventBus.h"
#include "server/core/ServerContext.h"
#include "server/player/CurrentMedia.h"
#include "server/player/PlayerService.h"

namespace vantor {

namespace {

std::unique_ptr<CResponseMessage> Answer(const CQueuedAction& action, int32_t typeId,
                                         int32_t result) {
    auto response = std::make_unique<CResponseMessage>(typeId);
    response->SetClientId(action.connectionId);
    response->SetRequestId(action.requestId);
    response->SetReturnCode(result);
    return response;
}

MediaItemList ItemsOf(const CMessage& reply) {
    MediaItemList items;
    if (const auto* search = dynamic_cast<const CMediaSearchResponse*>(&reply)) {
        for (const CSearchResult& entry : search->Body().results) {
            items.push_back(MakeMediaItem(entry.id, entry.type, entry.name, ""));
        }
    } else if (const auto* listing = dynamic_cast<const CBrowseLibraryResponse*>(&reply)) {
        for (const CLibraryEntry& entry : listing->Body().results) {
            items.push_back(MakeMediaItem(entry.id, entry.type, entry.name, entry.path));
        }
    }
    return items;
}

}  // namespace

void CPlayerService::SendLibraryRequest(std::unique_ptr<CRequestMessage> request,
                                        const CQueuedAction& action) {
    CQueuedAction queued = action;
    queued.actionId = m_context.bus.NextSequenceId();
    // Recorded before sending: the library may answer on this very thread, inside Fire.
    // A full table is logged; the lookup still goes out but its answer finds no slot.
    m_actions.Add(queued);
    request->SetClientId(0);
    request->SetRequestId(queued.actionId);
    CEventHolder holder(std::move(request));
    m_context.bus.Fire(event::LibraryRequest, holder, this);
}

void CPlayerService::OnLibraryReply(CEventHolder& holder) {
    const auto* reply = dynamic_cast<const CResponseMessage*>(holder.message.get());
    if (reply == nullptr || reply->ClientId() != 0 || reply->RequestId() == -1) return;
    const std::optional<CQueuedAction> action = m_actions.Take(reply->RequestId());
    if (!action) return;  // someone else's internal request, or one that found no slot
    std::shared_ptr<IPlayer> player = Player();
    if (!player) return;
    CompleteAction(*player, *action, *reply);
}

void CPlayerService::CompleteAction(IPlayer& player, const CQueuedAction& action,
                                    const CMessage& reply) {
    const int32_t answerType =
        action.kind == kActionPlayMedia ? msg::PlayMediaResponse : msg::PlaylistAddResponse;

    if (const auto* found = dynamic_cast<const CMediaItemResponse*>(&reply)) {
        const CMediaItemBody& body = found->Body();
        switch (action.kind) {
            case kActionPlayMedia:
            case kActionPlaylistAdd: {
                if (found->ReturnCode() != kResultSuccess) {
                    Respond(Answer(action, answerType, found->ReturnCode()));
                    return;
                }
                const auto item = MakeMediaItem(body.id, body.type, body.title, body.path,
                                                body.artist, body.album);
                const int32_t result = action.kind == kActionPlayMedia
                                           ? player.PlayMedia(*item)
                                           : player.PlaylistAdd(*item, action.position);
                Respond(Answer(action, answerType, result));
                return;
            }
            case kActionAnswerCurrentMedia: {
                auto response =
                    std::make_unique<CCurrentMediaResponse>(msg::GetCurrentMediaResponse);
                response->SetClientId(action.connectionId);
                response->SetRequestId(action.requestId);
                response->SetReturnCode(kResultSuccess);
                FillCurrentMedia(body, response->Body());
                Respond(std::move(response));
                return;
            }
            case kActionBroadcastCurrentMedia: {
                CCurrentMedia media;
                FillCurrentMedia(body, media);
                BroadcastCurrentMedia(media);
                return;
            }
            default:
                return;
        }
    }

    if (reply.TypeId() != msg::MediaSearchResponse &&
        reply.TypeId() != msg::BrowseLibraryResponse) {
        return;
    }
    MediaItemList items = ItemsOf(reply);
    if (action.kind == kActionPlayMedia) {
        if (items.empty()) {
            Respond(Answer(action, answerType, kResultMediaNotFound));
            return;
        }
        const int32_t played = player.PlayMedia(*items.front());
        if (played != kResultSuccess) {
            Respond(Answer(action, answerType, played));
            return;
        }
        items.erase(items.begin());
        Respond(Answer(action, answerType, player.PlaylistAdd(items, -1)));
    } else if (action.kind == kActionPlaylistAdd) {
        Respond(Answer(action, answerType, player.PlaylistAdd(items, action.position)));
    }
}

}  // namespace vantor
