#include "tools/winamp-sim/SimWindows.h"

#include <algorithm>
#include <cstring>

namespace vantor::winampsim {

namespace {

constexpr int32_t kVersion = 0x0563;
constexpr int32_t kRegisterMessage = 65536;
constexpr uint32_t kLibraryMessage = 5120;
constexpr int64_t kSetRating = 2304;
constexpr int64_t kGetRating = 2305;
constexpr uint32_t kPlayFileData = 100;
constexpr uint32_t kInsertFileData = 106;
constexpr size_t kInsertRecordSize = 264;

uint32_t LittleEndian32(const char* bytes) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return value;
}

}  // namespace

int32_t CMainWindow::OnMessage(uint32_t message, int64_t wParam, int64_t lParam) {
    if (message == kCloseMessage) {
        m_quit = true;
        return 0;
    }
    if (message == kCommandMessage) {
        return OnCommand(static_cast<int32_t>(wParam & 0xffff));
    }
    if (message == kUserMessage) {
        return OnUserCommand(lParam, wParam);
    }
    // A registered message may also come as a message of its own.
    if (message > static_cast<uint32_t>(kRegisterMessage)) {
        return OnUserCommand(message, wParam);
    }
    return 0;
}

int32_t CMainWindow::OnCommand(int32_t command) {
    switch (command) {
        case 40044:
            m_player.Previous();
            break;
        case 40045:
            m_player.Play();
            break;
        case 40046:
            m_player.Pause();
            break;
        case 40047:
            m_player.Stop();
            break;
        case 40048:
            m_player.Next();
            break;
        case 40060:
            m_player.Skip(5000);
            break;
        case 40061:
            m_player.Skip(-5000);
            break;
        case 40337: {
            const CTrack* track = m_player.Current();
            if (track && track->video && m_player.GetState() != CSimPlayer::kStopped) {
                m_player.fullScreen = !m_player.fullScreen;
            }
            break;
        }
        default:
            break;
    }
    return 0;
}

int32_t CMainWindow::OnUserCommand(int64_t command, int64_t data) {
    const auto value = static_cast<int32_t>(data);
    switch (command) {
        case 0:
            return kVersion;
        case 101:
            m_player.Clear();
            return 0;
        case 104:
            return m_player.GetState();
        case 105:
            if (value == 1) {
                const CTrack* track = m_player.Current();
                return track ? track->lengthSeconds : -1;
            }
            return m_player.PlayPositionMs();
        case 106:
            return m_player.JumpTo(value) ? 0 : -1;
        case 121:
            m_player.SetPosition(value);
            return 0;
        case 122:
            if (value != -666) {
                m_player.volume = std::clamp(value, 0, 255);
            }
            return m_player.volume;
        case 124:
            return m_player.Length();
        case 125:
            return m_player.Position();
        case 127:
            if (value < 0 || value > 12) {
                return 0;
            }
            m_player.eqIndex = value;
            return m_player.eq[static_cast<size_t>(value)];
        case 128: {
            const int32_t limit = m_player.eqIndex > 10 ? 1 : 63;
            m_player.eq[static_cast<size_t>(m_player.eqIndex)] = std::clamp(value, 0, limit);
            return 0;
        }
        case 211:
            return static_cast<int32_t>(m_player.PathAddress(value));
        case 212:
            return static_cast<int32_t>(m_player.TitleAddress(value));
        case 250:
            return m_player.shuffle ? 1 : 0;
        case 251:
            return m_player.repeat ? 1 : 0;
        case 252:
            m_player.shuffle = value != 0;
            return 0;
        case 253:
            m_player.repeat = value != 0;
            return 0;
        case 260:
            return value == 1 ? static_cast<int32_t>(m_handles.playlistEditor) : 0;
        case 296:
            return ExtendedFileInfo(static_cast<RemoteAddress>(value));
        case 501: {
            const CTrack* track = m_player.Current();
            if (!track || m_player.GetState() == CSimPlayer::kStopped) {
                return 0;
            }
            return track->video ? 2 : 1;
        }
        case 630:
            return m_player.fullScreen ? 1 : 0;
        case kRegisterMessage: {
            const std::string name = m_memory.ReadString(static_cast<RemoteAddress>(value));
            if (name.empty()) {
                return 0;
            }
            auto [it, added] = m_registered.try_emplace(
                name, kRegisterMessage + 1 + static_cast<int32_t>(m_registered.size()));
            return it->second;
        }
        default:
            break;
    }
    for (const auto& [name, id] : m_registered) {
        if (id == command && name == "LibraryGetWnd") {
            return static_cast<int32_t>(m_handles.library);
        }
    }
    return 0;
}

// The request is four 32-bit addresses: file name, field name, answer buffer, its size.
int32_t CMainWindow::ExtendedFileInfo(RemoteAddress request) {
    std::string record;
    if (!m_memory.Read(request, 16, record) || record.size() < 16) {
        return 0;
    }
    const std::string file = m_memory.ReadString(LittleEndian32(record.data()));
    const std::string field = m_memory.ReadString(LittleEndian32(record.data() + 4));
    const RemoteAddress answer = LittleEndian32(record.data() + 8);
    const uint32_t answerSize = LittleEndian32(record.data() + 12);
    const CTrack* track = m_player.FindByPath(file);
    if (!track || !track->tagged || answerSize == 0) {
        return 0;
    }
    std::string value;
    if (field == "Artist") {
        value = track->artist;
    } else if (field == "Album") {
        value = track->album;
    } else if (field == "Title") {
        value = track->title;
    } else {
        return 0;
    }
    value.resize(std::min<size_t>(value.size(), answerSize - 1));
    value += '\0';
    return m_memory.Write(answer, value) ? 1 : 0;
}

int32_t CMainWindow::OnCopyData(uint32_t dataId, std::string_view data) {
    if (dataId != kPlayFileData) {
        return 0;
    }
    const std::string path(data.substr(0, data.find('\0')));
    if (path.empty()) {
        return 0;
    }
    m_player.Add(m_player.TrackFor(path));
    return 1;
}

int32_t CPlaylistEditorWindow::OnMessage(uint32_t message, int64_t wParam, int64_t lParam) {
    if (message == kUserMessage && lParam == 104) {
        m_player.Remove(static_cast<int32_t>(wParam));
    }
    return 0;
}

int32_t CPlaylistEditorWindow::OnCopyData(uint32_t dataId, std::string_view data) {
    if (dataId != kInsertFileData || data.size() < kInsertRecordSize) {
        return 0;
    }
    const std::string_view name = data.substr(0, 260);
    const std::string path(name.substr(0, name.find('\0')));
    const auto index = static_cast<int32_t>(LittleEndian32(data.data() + 260));
    if (path.empty()) {
        return 0;
    }
    m_player.Add(m_player.TrackFor(path), index);
    return 1;
}

int32_t CLibraryWindow::OnMessage(uint32_t message, int64_t wParam, int64_t lParam) {
    if (message != kLibraryMessage) {
        return 0;
    }
    const CTrack* track = m_player.Current();
    if (!track) {
        return -1;
    }
    if (lParam == kGetRating) {
        return track->rating;
    }
    if (lParam == kSetRating) {
        m_player.SetCurrentRating(static_cast<int32_t>(wParam));
        return 1;
    }
    return 0;
}

}  // namespace vantor::winampsim
