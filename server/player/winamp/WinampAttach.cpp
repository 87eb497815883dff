// Finding, starting and attaching to Winamp, and the exchanges that go through its memory.

#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/player/winamp/WinampEq.h"
#include "server/player/winamp/WinampMessages.h"
#include "server/player/winamp/WinampPlayer.h"

#include <cstring>

namespace vantor {

namespace {

constexpr size_t kTextBufferSize = 4096;
constexpr size_t kSmallBufferSize = 1024;
constexpr int kStartAttempts = 61;
constexpr int kStartAttemptPauseMs = 200;

void PutLittleEndian32(char* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<char>((value >> (8 * i)) & 0xff);
    }
}

}  // namespace

int32_t CWinampPlayer::Command(WindowHandle window, int64_t command, int64_t data) {
    return m_windows.SendWindowMessage(window, kUserMessage, data, command);
}

int32_t CWinampPlayer::MenuCommand(int64_t command) {
    return m_windows.SendWindowMessage(Windows().main, kCommandMessage, command, 0);
}

CWinampPlayer::CWindows CWinampPlayer::Windows() {
    std::lock_guard lock(m_attachMutex);
    return m_attached;
}

bool CWinampPlayer::IsAttached() {
    return Windows().main != 0;
}

bool CWinampPlayer::Attach(bool allowStart) {
    std::lock_guard lock(m_attachMutex);
    if (m_attached.main != 0) {
        // A main window that no longer answers belongs to a Winamp that quit since the
        // monitor last looked; attach afresh rather than talk to nobody.
        if (Command(m_attached.main, winamp::kGetVersion) != 0) {
            FindEditorWindow();
            return true;
        }
        m_attached = {};
    }
    DropProcess();
    m_attached.main = m_windows.FindWindowByClass(winamp::kMainClass);
    if (m_attached.main != 0) {
        FindEditorWindow();
    } else if (allowStart && !StartWinamp()) {
        return false;
    }
    if (m_attached.main == 0) {
        return false;
    }
    if (!OpenProcess()) {
        return false;
    }
    FindLibraryWindow();
    return true;
}

bool CWinampPlayer::StartWinamp() {
    const std::string folder = m_config.GetWinampPath();
    if (folder.empty()) {
        m_logger.LogCritical("ERROR: Unable to find Winamp path, can't start automatically");
        return false;
    }
    m_logger.LogDetailed("Starting Winamp");
    const std::string program = folder + "/Winamp.exe";
    if (!m_windows.StartProgram(program)) {
        m_logger.LogCritical("ERROR: Unable to start Winamp from %s", program.c_str());
        return false;
    }
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        if (m_attached.main == 0) {
            m_attached.main = m_windows.FindWindowByClass(winamp::kMainClass);
        }
        if (m_attached.main != 0) {
            FindEditorWindow();
            if (m_attached.editor != 0) {
                return true;
            }
        }
        m_windows.Sleep(kStartAttemptPauseMs);
    }
    if (m_attached.main == 0) {
        m_logger.LogCritical("ERROR: Unable to start Winamp, max window find attempts exceeded");
        return false;
    }
    return true;
}

void CWinampPlayer::FindEditorWindow() {
    if (m_attached.editor != 0) {
        return;
    }
    const auto editor = static_cast<WindowHandle>(
        Command(m_attached.main, winamp::kGetWindow, winamp::kWindowPlaylistEditor));
    m_attached.editor = editor != 0 ? editor : m_windows.FindWindowByClass(winamp::kEditorClass);
}

bool CWinampPlayer::OpenProcess() {
    m_process = m_windows.OpenWindowProcess(m_attached.main);
    if (!m_process) {
        m_logger.LogNormal("Unable to attach to Winamp process!");
        return false;
    }
    m_textBuffer = m_process->Reserve(kTextBufferSize);
    for (RemoteAddress& buffer : m_buffers) {
        buffer = m_process->Reserve(kSmallBufferSize);
    }
    return true;
}

void CWinampPlayer::FindLibraryWindow() {
    m_attached.library = 0;
    if (!m_process || m_textBuffer == 0) {
        return;
    }
    const std::string name = winamp::kLibraryMessageName;
    if (!m_process->Write(m_textBuffer, name.c_str(), name.size() + 1)) {
        return;
    }
    const int32_t message = Command(m_attached.main, winamp::kRegisterMessage, m_textBuffer);
    if (message > winamp::kRegisterMessage) {
        m_attached.library = static_cast<WindowHandle>(Command(m_attached.main, message, 0));
    }
}

void CWinampPlayer::DropProcess() {
    if (m_process) {
        for (RemoteAddress buffer : m_buffers) {
            if (buffer != 0) {
                m_process->Free(buffer);
            }
        }
        if (m_textBuffer != 0) {
            m_process->Free(m_textBuffer);
        }
    }
    m_process.reset();
    m_textBuffer = 0;
    m_buffers = {};
}

void CWinampPlayer::ForgetWinamp(WindowHandle main) {
    std::lock_guard lock(m_attachMutex);
    // An operation may have attached to a newly started Winamp meanwhile; keep that one.
    if (m_attached.main != main) {
        return;
    }
    DropProcess();
    m_attached = {};
}

std::string CWinampPlayer::ReadRemoteText(RemoteAddress address) {
    std::lock_guard lock(m_attachMutex);
    if (!m_process || address == 0) {
        return {};
    }
    std::string text(kTextBufferSize, '\0');
    const int64_t got = m_process->Read(address, text.data(), text.size() - 1);
    if (got < 0) {
        return {};
    }
    text.resize(static_cast<size_t>(got));
    return text.substr(0, text.find('\0'));
}

bool CWinampPlayer::ExtendedFileInfo(WindowHandle main, const std::string& file, const char* field,
                                     std::string& value) {
    std::lock_guard lock(m_attachMutex);
    if (!m_process || m_textBuffer == 0 || m_buffers[2] == 0 || file.empty()) {
        return false;
    }
    const std::string path = file.substr(0, kTextBufferSize - 1);
    const RemoteAddress answer = m_buffers[1];
    char request[16];
    PutLittleEndian32(request, m_textBuffer);
    PutLittleEndian32(request + 4, m_buffers[0]);
    PutLittleEndian32(request + 8, answer);
    PutLittleEndian32(request + 12, kSmallBufferSize);
    const char zero = '\0';
    if (!m_process->Write(m_textBuffer, path.c_str(), path.size() + 1) ||
        !m_process->Write(m_buffers[0], field, std::strlen(field) + 1) ||
        !m_process->Write(answer, &zero, 1) ||
        !m_process->Write(m_buffers[2], request, sizeof(request))) {
        return false;
    }
    if (Command(main, winamp::kExtendedFileInfo, m_buffers[2]) == 0) {
        return false;
    }
    char text[kSmallBufferSize] = {};
    const int64_t got = m_process->Read(answer, text, sizeof(text) - 1);
    if (got < 0) {
        return false;
    }
    value.assign(text, strnlen(text, static_cast<size_t>(got)));
    return true;
}

bool CWinampPlayer::ReadEq(WindowHandle main, CEqSettings& settings) {
    std::lock_guard lock(m_attachMutex);
    for (size_t band = 0; band < settings.bands.size(); ++band) {
        settings.bands[band] =
            winamp::EqValueFromRaw(Command(main, winamp::kGetEqData, static_cast<int64_t>(band)));
    }
    settings.preamp =
        winamp::EqValueFromRaw(Command(main, winamp::kGetEqData, winamp::kEqIndexPreamp));
    settings.enabled = Command(main, winamp::kGetEqData, winamp::kEqIndexEnabled) == 1;
    settings.autoLoad = Command(main, winamp::kGetEqData, winamp::kEqIndexAutoLoad) == 1;
    return true;
}

void CWinampPlayer::WriteEqValue(WindowHandle main, int64_t index, int32_t raw) {
    // Winamp writes the value last asked for: the pair must not be split by another reader.
    std::lock_guard lock(m_attachMutex);
    Command(main, winamp::kGetEqData, index);
    Command(main, winamp::kSetEqData, raw);
}

}  // namespace vantor
