// Link notifications: each arrives on the receive thread and is posted to the main loop,
// where the face state changes under the drawing lock and the window is redrawn.

#include "client/desktop/MainFrame.h"
#include "client/display/PlayerTexts.h"
#include "client/face/FaceGeometry.h"
#include "client/face/PictureLoader.h"
#include "client/link/Requests.h"
#include "client/update/ClientUpdater.h"

namespace vantor::desktop {

namespace {

constexpr int kAlbumArtDelayMs = 1000;

}  // namespace

void MainFrame::OnMediaChanged(const CCurrentMedia& media) {
    m_post.Post([this, media] { HandleMediaChanged(media); });
}

void MainFrame::HandleMediaChanged(const CCurrentMedia& media) {
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        m_face.player.media = media;
        m_titleChanged = true;
        m_face.nowPlayingTitleOffset = 0;
    }
    SetTitleLine(client::TitleLine(media));
    m_nowPlayingScroll.Reset();
    // The art follows a second later, on every screen (the now-playing one shows it).
    StartOneShot(m_timer107, kAlbumArtDelayMs, [this] { m_link.GetAlbumArt(); });
    UpdateBars();
    ScrollPlaylistToCurrent();
    Redraw();
}

void MainFrame::OnVolumeChanged(int32_t volume) {
    m_post.Post([this, volume] {
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            m_face.player.volume = volume;
        }
        UpdateBars();
        Redraw();
    });
}

void MainFrame::OnShuffleChanged(bool on) {
    m_post.Post([this, on] {
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            m_face.player.shuffle = on;
        }
        Redraw();
    });
}

void MainFrame::OnRepeatChanged(bool on) {
    m_post.Post([this, on] {
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            m_face.player.repeat = on;
        }
        Redraw();
    });
}

void MainFrame::OnPlayingStateChanged(int32_t playingState) {
    m_post.Post([this, playingState] {
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            m_face.player.playingState = playingState;
            if (playingState == kStopped) m_face.positionMs = 0;
        }
        m_lastAdvance = std::chrono::steady_clock::now();
        UpdateBars();
        ScrollPlaylistToCurrent();
        Redraw();
    });
}

void MainFrame::OnPlaylistPositionChanged(int32_t position) {
    m_post.Post([this, position] {
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            m_face.player.playlistPosition = position;
        }
        m_playlist->SetCurrent(position);
        ScrollPlaylistToCurrent();
        Redraw();
    });
}

void MainFrame::OnPlayPositionChanged(int32_t seconds) {
    m_post.Post([this, seconds] {
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            m_face.player.playPosition = seconds;
            m_face.positionMs = int64_t{seconds} * 1000;
        }
        m_lastAdvance = std::chrono::steady_clock::now();
        UpdateBars();
        Redraw();
    });
}

void MainFrame::OnPlaylistChanged() {
    m_post.Post([this] {
        m_playlist->Forget();
        RequestVisiblePlaylistPage();
    });
}

void MainFrame::OnEqChanged(const client::CachedEq& eq) {
    m_post.Post([this, eq] {
        // A band being dragged keeps the pointer's value until the drag is sent.
        if (m_drag == Drag::kEqBand || m_timer106.connected()) return;
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            m_face.player.eq = eq;
        }
        Redraw();
    });
}

void MainFrame::OnCapabilitiesReceived(const CPlayerCapabilitiesResponse& response) {
    if (response.ReturnCode() != 0) return;
    const bool hasEq = response.Body().supportsEQ;
    m_post.Post([this, hasEq] {
        m_hasEq = hasEq;
        if (!hasEq && Screen() == face::kScreenEq) ShowScreen(face::kScreenMain);
        UpdateHeaderButtons();
    });
}

void MainFrame::OnMediaLibraryChanged() {
    m_post.Post([this] { m_library.Browser().OnLibraryChanged(); });
}

void MainFrame::OnLibraryListingReceived(const std::string&,
                                         const CBrowseLibraryResponse& response) {
    m_post.Post([this, response] { m_library.Browser().OnListing(response); });
}

void MainFrame::OnSearchResultsReceived(const CMediaSearchResponse& response) {
    m_post.Post([this, response] { m_library.Browser().OnSearchResults(response); });
}

void MainFrame::OnPlaylistItemsReceived(const CPlaylistItemsResponse& response) {
    if (response.ReturnCode() != 0) return;
    const int32_t requestId = response.RequestId();
    CPlaylistItemsBody body = response.Body();
    m_post.Post([this, requestId, body] { HandlePlaylistItems(requestId, body); });
}

void MainFrame::HandlePlaylistItems(int32_t requestId, const CPlaylistItemsBody& body) {
    auto found = m_pageRequests.find(requestId);
    if (found == m_pageRequests.end()) return;
    const int start = found->second;
    m_pageRequests.erase(found);
    const int total = std::max(0, body.totalCount);
    if (total != m_playlist->RowCount()) {
        auto change = [&] { m_playlist->SetRowCount(total); };
        // Both views show the model: detach both around the new count.
        m_playlistEditor.ChangeRowCount([&] { m_playlistMain.ChangeRowCount(change); });
    }
    int32_t position = -1;
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        m_face.playlistLength = total;
        position = m_face.player.playlistPosition;
    }
    m_playlist->SetRows(start, body.items);
    m_playlist->SetCurrent(position);
    Redraw();
}

void MainFrame::RequestPlaylistPage(int start) {
    if (!m_link.IsConnected()) return;
    auto request = client::requests::GetPlaylistItems(start, PlaylistModel::kPageSize);
    // Our own ids tell which page an answer holds (the answer does not say).
    const int32_t id = m_nextPageRequestId++;
    if (m_nextPageRequestId == INT32_MAX) m_nextPageRequestId = 1 << 30;
    request->SetRequestId(id);
    m_pageRequests[id] = start;
    if (m_link.SendAsync(std::move(request)) != client::kLinkOk) m_pageRequests.erase(id);
}

void MainFrame::RequestVisiblePlaylistPage() {
    PlaylistView& view = Screen() == face::kScreenPlaylist ? m_playlistEditor : m_playlistMain;
    const int first = view.FirstVisibleRow();
    RequestPlaylistPage(first / PlaylistModel::kPageSize * PlaylistModel::kPageSize);
}

void MainFrame::ScrollPlaylistToCurrent() {
    int32_t position = -1;
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        position = m_face.player.playlistPosition;
    }
    if (position < 0) return;
    m_playlistMain.ScrollToRow(position);
}

void MainFrame::OnAlbumArtReceived(const std::string& artUrl) {
    // Fetched here, on the receive thread, as the link's other work; decoded on the main
    // thread (the picture library is not thread-safe). The same art twice is fetched once.
    const client::AlbumArtFetcher::Outcome outcome = m_art.Fetch(artUrl, m_link.ServerHost());
    if (outcome.unchanged) return;
    m_post.Post([this, file = outcome.file] { HandleAlbumArt(file); });
}

void MainFrame::HandleAlbumArt(const std::string& localFile) {
    face::SurfaceHandle art;
    if (!localFile.empty()) art = face::LoadPicture(localFile);
    if (!art) {
        m_art.Forget();
        LoadNoArtwork();
    } else {
        std::lock_guard<std::mutex> lock(m_drawLock);
        m_face.albumArt = std::move(art);
    }
    Redraw();
}

void MainFrame::OnClientVersionReceived(const CClientVersionResponse& response) {
    const CClientVersionBody offer = response.Body();
    const int32_t code = response.ReturnCode();
    m_post.Post([this, offer, code] { HandleClientVersion(offer, code); });
}

void MainFrame::HandleClientVersion(const CClientVersionBody& offer, int32_t returnCode) {
    if (returnCode == 0) {
        // The download writes its progress into the status line; a failed one gives it back.
        const std::string status = StatusText();
        client::ClientUpdater updater(*this);
        const client::UpdateOutcome outcome = updater.OnClientVersion(
            offer, {m_profile.version, m_settings.installFolder, m_link.ServerHost()});
        if (outcome == client::UpdateOutcome::kApplied) {
            Exit();
            return;
        }
        if (outcome == client::UpdateOutcome::kFailed) {
            SetConnecting(false);
            SetStatusText(status);
        }
    }
    m_link.RequestInitialState();
    m_link.GetEqPresets();
    m_playlist->Forget();
    RequestPlaylistPage(0);
    ShowScreen(face::kScreenMain);
}

void MainFrame::OnEqPresetsReceived(const CEqPresetsResponse& response) {
    if (response.ReturnCode() != 0) return;
    std::vector<std::string> presets = response.Body().presets;
    m_post.Post([this, presets] { m_presets = presets; });
}

void MainFrame::OnConnectionLost() {
    m_keeper->OnConnectionLost();
}

void MainFrame::Disconnect() {
    m_keeper->Stop();
    m_link.Disconnect();
    m_pageRequests.clear();
    m_playlistEditor.ChangeRowCount(
        [&] { m_playlistMain.ChangeRowCount([&] { m_playlist->SetRowCount(0); }); });
    m_library.Browser().Reset();
    m_art.Forget();
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        m_face.connecting = false;
        m_face.connectStatus.clear();
        m_face.player = {};
        m_face.positionMs = 0;
        m_face.playlistLength = 0;
        m_face.albumArt.Reset();
    }
    SetTitleLine("");
    UpdateBars();
    ShowScreen(face::kScreenConnect);
}

}  // namespace vantor::desktop
