#pragma once

// The desktop remote's main window: the skinned face (one drawing area painted by the face
// library), the native controls the skin places, the menu bar and the header bar. It owns
// the link and keeps it connected, turns link notifications into drawing and pointer and
// key input into requests.
//
// Threads: GTK runs on the main thread only. Link notifications (receive thread), the
// connect worker's view calls and the network monitor's notices are posted to the main loop
// through MainLoopPost; the connect worker's questions (which screen, which status) read the
// face state under the drawing lock, which guards that state. The animation loop is a 10 ms
// main-loop timer.

#include <gtkmm/box.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/drawingarea.h>
#include <gtkmm/fixed.h>
#include <gtkmm/menu.h>
#include <gtkmm/menubar.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/togglebutton.h>
#include <gtkmm/window.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "client/desktop/FrameDialogs.h"
#include "client/desktop/LibraryPane.h"
#include "client/desktop/MainLoopPost.h"
#include "client/desktop/PlaylistModel.h"
#include "client/desktop/PlaylistView.h"
#include "client/display/TitleScroll.h"
#include "client/face/FacePainter.h"
#include "client/face/FaceState.h"
#include "client/face/FaceView.h"
#include "client/face/SkinImages.h"
#include "client/face/SkinPainter.h"
#include "client/library/AlbumArtFetcher.h"
#include "client/link/ConnectView.h"
#include "client/link/ConnectionKeeper.h"
#include "client/link/LinkListener.h"
#include "client/link/ServerLink.h"
#include "client/settings/ClientProfile.h"
#include "client/settings/ClientSettings.h"
#include "client/skin/Skin.h"
#include "client/update/UpdatePrompt.h"
#include "platform/Registry.h"

namespace vantor::desktop {

class MainFrame : public Gtk::Window,
                  public client::LinkListener,
                  public client::ConnectView,
                  public client::UpdatePrompt {
public:
    MainFrame(client::ClientProfile profile, client::ClientSettings settings, CRegistry& registry);
    ~MainFrame() override;

    // Loads the configured skin (or the default one), sizes the window to it and places the
    // native controls. False when no skin loads: the caller shows the error and ends.
    bool ApplySkin();
    // The start of the animation loop, the network watch and the automatic connect.
    void Start();
    // Saves the settings, stops the link's helpers and closes the window.
    void Exit();

    // Connect view (connect worker's thread).
    bool IsConnectScreenShown() override;
    std::string StatusText() override;
    void SetStatusText(const std::string& text) override;
    void SetConnecting(bool connecting) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    void ShowMainScreenIfAway() override;
    void OnConnected() override;

    // Client update questions (main thread).
    bool AskYesNo(const std::string& text, const std::string& title) override;
    void ShowProgress(const std::string& text) override;
    void ShowError(const std::string& text, const std::string& title) override;

    // Link notifications (receive thread): each is posted to the main loop.
    void OnMediaChanged(const CCurrentMedia& media) override;
    void OnVolumeChanged(int32_t volume) override;
    void OnShuffleChanged(bool on) override;
    void OnRepeatChanged(bool on) override;
    void OnPlayingStateChanged(int32_t playingState) override;
    void OnPlaylistPositionChanged(int32_t position) override;
    void OnPlayPositionChanged(int32_t seconds) override;
    void OnPlaylistChanged() override;
    void OnEqChanged(const client::CachedEq& eq) override;
    void OnCapabilitiesReceived(const CPlayerCapabilitiesResponse& response) override;
    void OnMediaLibraryChanged() override;
    void OnPlaylistItemsReceived(const CPlaylistItemsResponse& response) override;
    void OnAlbumArtReceived(const std::string& artUrl) override;
    void OnLibraryListingReceived(const std::string& path,
                                  const CBrowseLibraryResponse& response) override;
    void OnSearchResultsReceived(const CMediaSearchResponse& response) override;
    void OnClientVersionReceived(const CClientVersionResponse& response) override;
    void OnEqPresetsReceived(const CEqPresetsResponse& response) override;
    void OnConnectionLost() override;

    void ShowScreen(const std::string& screen);
    std::string Screen();

protected:
    // What a shell built on this window (the handheld profile) changes.

    // Places the face in the drawing area (scaled, moved, lists grown) and sizes the area.
    void SetFaceView(const face::FaceView& view);
    const face::FaceView& View() const { return m_view; }
    // The face's own size, from the skin's "main" component.
    int FaceWidth() const { return m_faceWidth; }
    int FaceHeight() const { return m_faceHeight; }
    // A list shown on the current screen reaches the face's bottom edge (and so takes the
    // height the face leaves free).
    bool ShowsBottomList() const;
    // The key code bindings see for a toolkit key value (-1: none).
    virtual int32_t KeyCodeOf(unsigned keyval) const;
    // Called once a screen is shown, before it is drawn.
    virtual void ScreenShown(const std::string& screen) { (void)screen; }

private:
    enum class Drag { kNone, kPosition, kNowPlayingPosition, kVolume, kEqBand };

    // Building (MainFrameLayout.cpp).
    void BuildMenus();
    void BuildHeader();
    void PlaceNativeControls();
    void StyleNativeControls();
    // Sizes the drawing area and places and styles the native controls after the face view.
    void LayoutFace();
    void SizeArea();
    void FillServerList();
    void UpdateHeaderButtons();
    void OnLibraryButton();
    void OnSearchButton();

    // Drawing (MainFrame.cpp).
    bool OnDraw(const Cairo::RefPtr<Cairo::Context>& cr);
    void Redraw();
    void SetTitleLine(const std::string& text);

    // Pointer (MainFramePointer.cpp).
    bool OnButtonPress(GdkEventButton* event);
    bool OnButtonRelease(GdkEventButton* event);
    bool OnMotion(GdkEventMotion* event);
    bool OnLeave(GdkEventCrossing* event);
    void RunAction(const skin::Component* component, int x, int y);
    void StartDrag(const skin::Component* component, int x, int y);
    void DragTo(int x, int y);
    void EndDrag();
    void SetPositionFromBar(const skin::Component& back, int x);
    void SetVolumeFromBar(const skin::Component& back, int x);
    void SetEqFromBar(const skin::Component& back, int y);
    void MoveSelectedRow(int delta);
    void AskClearPlaylist();

    // Dialogs, menus and the settings sheet (MainFrameDialogs.cpp).
    void ShowPlaylistMenu(int row, const GdkEvent* event);
    void ChooseEqPreset();
    void SavePlaylist();
    void JumpToSong();
    DialogRows FindInPlaylist(const std::string& words);
    void OpenSettings();
    // Loads another skin file (the settings sheet's choice); false when it did not load.
    bool ChangeSkin(const std::string& skinFile);

    // Keys (MainFrameKeys.cpp).
    bool OnKeyPress(GdkEventKey* event);
    bool OnKeyRelease(GdkEventKey* event);
    void PerformAction(int32_t action);
    bool UnboundKey(int32_t keyCode);

    // Timers and the animation loop (MainFrameTimers.cpp).
    bool OnAnimationTick();
    // True when the time and bars need drawing again.
    bool AdvancePlayPosition();
    // One step of the scrolling title; true when it moved.
    bool ScrollTitle();
    void CheckClockJump();
    void StartOneShot(sigc::connection& timer, int ms, std::function<void()> action);
    bool OnIdleCheck();
    void NoteUserInput();
    void UpdateBars();

    // Link reactions on the main thread (MainFrameLink.cpp).
    void HandleMediaChanged(const CCurrentMedia& media);
    void HandleClientVersion(const CClientVersionBody& offer, int32_t returnCode);
    void HandlePlaylistItems(int32_t requestId, const CPlaylistItemsBody& body);
    void HandleAlbumArt(const std::string& localFile);
    void RequestPlaylistPage(int start);
    void RequestVisiblePlaylistPage();
    void ScrollPlaylistToCurrent();
    void LoadNoArtwork();
    void Disconnect();
    void ConnectFromServerField();
    std::string ServerFieldText();
    // The server to connect to: "" finds one.
    std::string ServerFromField();

protected:
    client::ClientProfile m_profile;
    client::ClientSettings m_settings;
    CRegistry& m_registry;

    skin::Skin m_skin;
    face::SkinImages m_images{m_skin};
    face::SkinPainter m_painter{m_skin, m_images};
    face::FacePainter m_facePainter{m_painter};

    // The drawing lock: the face state is read by the connect worker too.
    std::mutex m_drawLock;
    face::FaceState m_face;

    client::ServerLink m_link;
    MainLoopPost m_post;
    std::unique_ptr<client::ConnectionKeeper> m_keeper;
    std::unique_ptr<FrameDialogs> m_dialogs;

    Gtk::Box m_rows{Gtk::ORIENTATION_VERTICAL};
    Gtk::MenuBar m_menuBar;
    Gtk::Box m_header{Gtk::ORIENTATION_HORIZONTAL};
    Gtk::ToggleButton m_mainMode{"_Main Mode", true};
    Gtk::ToggleButton m_eqMode{"_EQ Mode", true};
    Gtk::ToggleButton m_libraryButton;
    Gtk::Button m_searchButton{"_Search", true};
    Gtk::MenuButton m_fileButton;
    Gtk::MenuButton m_helpButton;
    Gtk::Fixed m_fixed;
    Gtk::DrawingArea m_area;
    Gtk::ComboBoxText m_serverList{true};
    PlaylistView m_playlistMain{"playlist.main", "Tracks"};
    PlaylistView m_playlistEditor{"playlist.editor", "Tracks"};
    std::unique_ptr<PlaylistModel> m_playlist = std::make_unique<PlaylistModel>();
    LibraryPane m_library{m_link};
    std::unique_ptr<Gtk::Menu> m_rowMenu;

private:
    bool m_updatingHeader = false;
    face::FaceView m_view;
    int m_faceWidth = 0;
    int m_faceHeight = 0;

    std::string m_screenBeforeNowPlaying = face::kScreenMain;
    Drag m_drag = Drag::kNone;
    const skin::Component* m_dragBar = nullptr;
    int32_t m_dragBand = -1;  // 0 preamp, 1..10 bands

    sigc::connection m_animation;
    sigc::connection m_timer101;
    sigc::connection m_timer102;
    sigc::connection m_timer104;
    sigc::connection m_timer106;
    sigc::connection m_timer107;
    int64_t m_counter = 0;
    client::TitleScroll m_titleScroll;
    client::TitleScroll m_nowPlayingScroll;
    // The scrolling title's widths, measured again only when a title or the screen changed
    // (set under the drawing lock, by the connect worker too).
    std::atomic<bool> m_titleChanged{true};
    bool m_nowPlayingTitle = false;  // the now-playing screen's title is the one that scrolls
    int32_t m_titleWidth = 0;
    int32_t m_titleBoxWidth = 0;
    std::chrono::steady_clock::time_point m_lastAdvance;
    std::chrono::system_clock::time_point m_lastWallClock;
    std::chrono::steady_clock::time_point m_lastInput;

    std::map<int32_t, int> m_pageRequests;  // request id -> first row
    int32_t m_nextPageRequestId = 1 << 30;
    client::AlbumArtFetcher m_art{client::AlbumArtFetcher::DefaultCacheFolder()};
    std::vector<std::string> m_presets;
    bool m_exiting = false;
    bool m_hasEq = true;
};

}  // namespace vantor::desktop
