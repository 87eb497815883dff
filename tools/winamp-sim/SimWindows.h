#pragma once

#include "platform/WindowPublisher.h"
#include "tools/winamp-sim/SimPlayer.h"

#include <map>
#include <string>

namespace vantor::winampsim {

struct CSimHandles {
    WindowHandle main = 0;
    WindowHandle playlistEditor = 0;
    WindowHandle library = 0;  // 0 when the media library is not published
};

// The main window: transport, playlist, volume, equaliser, flags and the registered
// messages, answered as the real program answers them.
class CMainWindow : public IPublishedWindow {
public:
    CMainWindow(CSimPlayer& player, CProcessMemoryArena& memory, const CSimHandles& handles)
        : m_player(player), m_memory(memory), m_handles(handles) {}

    int32_t OnMessage(uint32_t message, int64_t wParam, int64_t lParam) override;
    int32_t OnCopyData(uint32_t dataId, std::string_view data) override;
    std::string Title() override { return m_player.WindowTitle(); }
    bool QuitRequested() const { return m_quit; }

private:
    int32_t OnCommand(int32_t command);
    int32_t OnUserCommand(int64_t command, int64_t data);
    int32_t ExtendedFileInfo(RemoteAddress request);

    CSimPlayer& m_player;
    CProcessMemoryArena& m_memory;
    const CSimHandles& m_handles;
    std::map<std::string, int32_t> m_registered;
    bool m_quit = false;
};

// The playlist editor: deletes and inserts at an index.
class CPlaylistEditorWindow : public IPublishedWindow {
public:
    explicit CPlaylistEditorWindow(CSimPlayer& player) : m_player(player) {}

    int32_t OnMessage(uint32_t message, int64_t wParam, int64_t lParam) override;
    int32_t OnCopyData(uint32_t dataId, std::string_view data) override;
    std::string Title() override { return "Winamp Playlist Editor"; }

private:
    CSimPlayer& m_player;
};

// The media library: ratings of the current track.
class CLibraryWindow : public IPublishedWindow {
public:
    explicit CLibraryWindow(CSimPlayer& player) : m_player(player) {}

    int32_t OnMessage(uint32_t message, int64_t wParam, int64_t lParam) override;
    int32_t OnCopyData(uint32_t, std::string_view) override { return 0; }
    std::string Title() override { return "Winamp Library"; }

private:
    CSimPlayer& m_player;
};

}  // namespace vantor::winampsim
