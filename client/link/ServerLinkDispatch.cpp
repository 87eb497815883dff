// ServerLink: what responses and events do to the cached state and the listener.

#include "client/link/ServerLink.h"

namespace vantor::client {

namespace {

template <class T>
const T& As(const CMessage& message) {
    return static_cast<const T&>(message);
}

}  // namespace

template <class T>
bool ServerLink::Replace(T PlayerState::*field, const T& value) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state.*field == value) return false;
    m_state.*field = value;
    return true;
}

bool ServerLink::ReplaceEq(const CEqSettings& settings) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state.eq.settings == settings) return false;
    m_state.eq.settings = settings;
    return true;
}

void ServerLink::HandleResponse(std::unique_ptr<CResponseMessage> response) {
    PendingRequests::Match match = m_pending.Deliver(response);
    if (match.kind != PendingRequests::Match::kAsync) return;  // a waiter has it, or no one
    HandleAsyncResponse(*match.request, *response);
}

void ServerLink::HandleAsyncResponse(const CRequestMessage& request,
                                     const CResponseMessage& response) {
    LinkListener* listener = Listener();
    // A failed answer carries no state: the cache keeps what it had.
    const bool ok = response.ReturnCode() == 0;
    switch (response.TypeId()) {
        case msg::GetClientVersionResponse:
            if (listener) listener->OnClientVersionReceived(As<CClientVersionResponse>(response));
            break;
        case msg::GetPlaylistPositionResponse: {
            const int32_t position = As<CPositionResponse>(response).Body().position;
            if (ok && Replace(&PlayerState::playlistPosition, position) && listener)
                listener->OnPlaylistPositionChanged(position);
            break;
        }
        case msg::GetVolumeResponse: {
            const int32_t volume = As<CVolumeResponse>(response).Body().volume;
            if (ok && Replace(&PlayerState::volume, volume) && listener)
                listener->OnVolumeChanged(volume);
            break;
        }
        case msg::GetPlayPositionResponse: {
            const int32_t position = As<CPositionResponse>(response).Body().position;
            if (!ok) break;
            Replace(&PlayerState::playPosition, position);
            if (listener) listener->OnPlayPositionChanged(position);
            break;
        }
        case msg::GetPlayingStateResponse: {
            const int32_t state = As<CPlayingStateResponse>(response).Body().playingState;
            if (ok && Replace(&PlayerState::playingState, state) && listener)
                listener->OnPlayingStateChanged(state);
            break;
        }
        case msg::GetPlaylistItemsResponse:
            if (listener) listener->OnPlaylistItemsReceived(As<CPlaylistItemsResponse>(response));
            break;
        case msg::GetShuffleStateResponse: {
            const bool on = As<CShuffleStateResponse>(response).Body().shuffleState;
            if (ok && Replace(&PlayerState::shuffle, on) && listener)
                listener->OnShuffleChanged(on);
            break;
        }
        case msg::GetRepeatStateResponse: {
            const bool on = As<CRepeatStateResponse>(response).Body().repeatState;
            if (ok && Replace(&PlayerState::repeat, on) && listener) listener->OnRepeatChanged(on);
            break;
        }
        case msg::GetAlbumArtResponse:
            if (listener)
                listener->OnAlbumArtReceived(As<CAlbumArtResponse>(response).Body().artURL);
            break;
        case msg::GetCurrentMediaResponse: {
            if (!ok) break;
            const CCurrentMedia& media = As<CCurrentMediaResponse>(response).Body();
            Replace(&PlayerState::media, media);
            if (listener) listener->OnMediaChanged(media);
            break;
        }
        case msg::GetEqPresetsResponse:
            if (listener) listener->OnEqPresetsReceived(As<CEqPresetsResponse>(response));
            break;
        case msg::GetEqResponse:
            if (ok && ReplaceEq(As<CEqResponse>(response).Body()) && listener)
                listener->OnEqChanged(State().eq);
            break;
        case msg::GetPlayerCapabilitiesResponse:
            if (listener)
                listener->OnCapabilitiesReceived(As<CPlayerCapabilitiesResponse>(response));
            break;
        case msg::BrowseArtistsResponse:
            if (listener) listener->OnArtistsReceived(As<CBrowseArtistsResponse>(response));
            break;
        case msg::MediaSearchResponse:
            if (listener && request.TypeId() == msg::MediaSearchRequest)
                listener->OnSearchResultsReceived(As<CMediaSearchResponse>(response));
            break;
        case msg::BrowseLibraryResponse:
            if (listener && request.TypeId() == msg::BrowseLibraryRequest)
                listener->OnLibraryListingReceived(As<CBrowseLibraryRequest>(request).Body().path,
                                                   As<CBrowseLibraryResponse>(response));
            break;
        default:
            break;
    }
}

void ServerLink::HandleEvent(const CMessage& event) {
    std::function<void(const CMessage&)> observer;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        observer = m_eventObserver;
    }
    if (observer) observer(event);
    LinkListener* listener = Listener();
    switch (event.TypeId()) {
        case msg::CurrentMediaChangedEvent: {
            const CCurrentMedia& media = As<CCurrentMediaEvent>(event).Body();
            Replace(&PlayerState::media, media);
            if (listener) listener->OnMediaChanged(media);
            break;
        }
        case msg::PlayingStateChangedEvent: {
            const int32_t state = As<CPlayingStateEvent>(event).Body().playingState;
            if (Replace(&PlayerState::playingState, state) && listener)
                listener->OnPlayingStateChanged(state);
            break;
        }
        case msg::VolumeChangedEvent: {
            const int32_t volume = As<CVolumeEvent>(event).Body().volume;
            if (Replace(&PlayerState::volume, volume) && listener)
                listener->OnVolumeChanged(volume);
            break;
        }
        case msg::PlaylistPositionChangedEvent: {
            const int32_t position = As<CPositionEvent>(event).Body().position;
            if (Replace(&PlayerState::playlistPosition, position) && listener)
                listener->OnPlaylistPositionChanged(position);
            break;
        }
        case msg::ShuffleStateChangedEvent: {
            const bool on = As<CShuffleStateEvent>(event).Body().shuffleState;
            if (Replace(&PlayerState::shuffle, on) && listener) listener->OnShuffleChanged(on);
            break;
        }
        case msg::RepeatStateChangedEvent: {
            const bool on = As<CRepeatStateEvent>(event).Body().repeatState;
            if (Replace(&PlayerState::repeat, on) && listener) listener->OnRepeatChanged(on);
            break;
        }
        case msg::PlayPositionChangedEvent: {
            const int32_t position = As<CPositionEvent>(event).Body().position;
            Replace(&PlayerState::playPosition, position);
            if (listener) listener->OnPlayPositionChanged(position);
            break;
        }
        case msg::PlaylistChangedEvent:
            if (listener) listener->OnPlaylistChanged();
            break;
        case msg::EqChangedEvent:
            if (ReplaceEq(As<CEqEvent>(event).Body()) && listener)
                listener->OnEqChanged(State().eq);
            break;
        case msg::MediaLibraryChangedEvent:
            if (listener) listener->OnMediaLibraryChanged();
            break;
        default:
            break;
    }
}

}  // namespace vantor::client
