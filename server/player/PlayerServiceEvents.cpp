// The adapter's change notifications, turned into broadcasts: at once for the small values,
// after a quiet period for those that come in bursts (volume drags, playlist edits,
// equaliser slides, library rescans).

#include "protocol/Messages.h"
#include "server/core/EventBus.h"
#include "server/core/ServerContext.h"
#include "server/player/CurrentMedia.h"
#include "server/player/PlayerService.h"

namespace vantor {

void CPlayerService::OnVolumeChanged(int32_t /*volume*/) {
    Arm(m_volumeTimer);
}

void CPlayerService::OnShuffleStateChanged(bool on) {
    auto event = std::make_unique<CShuffleStateEvent>(msg::ShuffleStateChangedEvent);
    event->Body().shuffleState = on;
    Broadcast(std::move(event));
}

void CPlayerService::OnRepeatStateChanged(bool on) {
    auto event = std::make_unique<CRepeatStateEvent>(msg::RepeatStateChangedEvent);
    event->Body().repeatState = on;
    Broadcast(std::move(event));
}

void CPlayerService::OnPlayingStateChanged(int32_t state) {
    auto event = std::make_unique<CPlayingStateEvent>(msg::PlayingStateChangedEvent);
    event->Body().playingState = state;
    Broadcast(std::move(event));
}

void CPlayerService::OnPlaylistPositionChanged(int32_t position) {
    auto event = std::make_unique<CPositionEvent>(msg::PlaylistPositionChangedEvent);
    event->Body().position = position;
    Broadcast(std::move(event));
}

void CPlayerService::OnPlayPositionChanged(int32_t seconds) {
    auto event = std::make_unique<CPositionEvent>(msg::PlayPositionChangedEvent);
    event->Body().position = seconds;
    Broadcast(std::move(event));
}

void CPlayerService::OnCurrentMediaChanged(const CMediaItem& item) {
    if (item.mediaType == kMediaUndefined && !item.path.empty()) {
        // Known only by its file: announce it once the library has told what it is.
        auto request = std::make_unique<CMediaItemRequest>(msg::GetMediaItemRequest);
        request->Body().path = item.path;
        CQueuedAction action;
        action.kind = kActionBroadcastCurrentMedia;
        SendLibraryRequest(std::move(request), action);
        return;
    }
    if (!IsAnnouncedMediaType(item.mediaType)) return;
    CCurrentMedia media;
    FillCurrentMedia(item, media);
    BroadcastCurrentMedia(media);
}

void CPlayerService::OnLibraryChanged() {
    Arm(m_libraryTimer);
}

void CPlayerService::OnPlaylistChanged() {
    Arm(m_playlistTimer);
}

void CPlayerService::OnEqChanged() {
    Arm(m_eqTimer);
}

void CPlayerService::BroadcastCurrentMedia(const CCurrentMedia& media) {
    auto event = std::make_unique<CCurrentMediaEvent>(msg::CurrentMediaChangedEvent);
    event->Body() = media;
    Broadcast(std::move(event));
}

// The delayed broadcasts read the player when their timer fires, so they carry the state
// after the whole burst.

void CPlayerService::OnVolumeTimer() {
    std::shared_ptr<IPlayer> player = Player();
    if (!player) return;
    auto event = std::make_unique<CVolumeEvent>(msg::VolumeChangedEvent);
    event->Body().volume = player->GetVolume();
    Broadcast(std::move(event));
}

void CPlayerService::OnLibraryTimer() {
    if (!Player()) return;
    auto request = std::make_unique<CRequestMessage>(msg::UpdateMediaLibraryRequest);
    request->SetClientId(0);
    request->SetRequestId(m_context.bus.NextSequenceId());
    CEventHolder holder(std::move(request));
    m_context.bus.Fire(event::LibraryRequest, holder, this);
}

void CPlayerService::OnPlaylistTimer() {
    if (!Player()) return;
    Broadcast(std::make_unique<CMessage>(msg::PlaylistChangedEvent));
}

void CPlayerService::OnEqTimer() {
    std::shared_ptr<IPlayer> player = Player();
    if (!player) return;
    auto event = std::make_unique<CEqEvent>(msg::EqChangedEvent);
    player->GetEq(event->Body());
    Broadcast(std::move(event));
}

}  // namespace vantor
