#include "platform/WindowPublisher.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vantor {

namespace wire = windowwire;

RemoteAddress CProcessMemoryArena::Reserve(size_t size) {
    if (size == 0 || size > wire::kMaxFrame) {
        return 0;
    }
    const RemoteAddress address = m_next;
    m_next += static_cast<RemoteAddress>((size + 15) / 16 * 16 + 16);
    m_blocks.emplace(address, std::vector<char>(size, 0));
    return address;
}

RemoteAddress CProcessMemoryArena::Store(std::string_view text) {
    const RemoteAddress address = Reserve(text.size() + 1);
    if (address != 0) {
        std::copy(text.begin(), text.end(), m_blocks[address].begin());
    }
    return address;
}

const std::vector<char>* CProcessMemoryArena::BlockAt(RemoteAddress address,
                                                      RemoteAddress& base) const {
    auto it = m_blocks.upper_bound(address);
    if (it == m_blocks.begin()) {
        return nullptr;
    }
    --it;
    if (address - it->first >= it->second.size()) {
        return nullptr;
    }
    base = it->first;
    return &it->second;
}

bool CProcessMemoryArena::Write(RemoteAddress address, std::string_view bytes) {
    RemoteAddress base = 0;
    const std::vector<char>* block = BlockAt(address, base);
    if (!block || address - base + bytes.size() > block->size()) {
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), m_blocks[base].begin() + (address - base));
    return true;
}

bool CProcessMemoryArena::Read(RemoteAddress address, size_t size, std::string& out) const {
    RemoteAddress base = 0;
    const std::vector<char>* block = BlockAt(address, base);
    if (!block) {
        return false;
    }
    const size_t offset = address - base;
    const size_t n = std::min(size, block->size() - offset);
    out.assign(block->data() + offset, n);
    return true;
}

std::string CProcessMemoryArena::ReadString(RemoteAddress address) const {
    std::string bytes;
    if (!Read(address, wire::kMaxFrame, bytes)) {
        return {};
    }
    return bytes.substr(0, bytes.find('\0'));
}

bool CProcessMemoryArena::Free(RemoteAddress address) {
    return m_blocks.erase(address) > 0;
}

CWindowPublisher::CWindowPublisher(std::string directory)
    : m_directory(directory.empty() ? wire::WindowsDirectory() : std::move(directory)) {}

CWindowPublisher::~CWindowPublisher() {
    for (const CEntry& entry : m_entries) {
        ::unlink(entry.path.c_str());
    }
}

WindowHandle CWindowPublisher::Publish(const std::string& className, IPublishedWindow& window) {
    ::mkdir(m_directory.c_str(), 0700);
    // Unique among live programs: the process id with a per-program index.
    const auto handle = static_cast<WindowHandle>(::getpid()) * 256 +
                        static_cast<WindowHandle>(m_entries.size() + 1);
    CEntry entry;
    entry.handle = handle;
    entry.path = m_directory + "/" + wire::SocketName(handle, className);
    entry.window = &window;

    sockaddr_un address{};
    if (entry.path.size() >= sizeof(address.sun_path)) {
        return 0;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, entry.path.c_str(), entry.path.size() + 1);
    entry.listener.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    ::unlink(entry.path.c_str());
    if (!entry.listener.Valid() ||
        ::bind(entry.listener.Get(), reinterpret_cast<const sockaddr*>(&address),
               sizeof(address)) != 0 ||
        ::listen(entry.listener.Get(), SOMAXCONN) != 0) {
        return 0;
    }
    m_entries.push_back(std::move(entry));
    return handle;
}

bool CWindowPublisher::Serve(int timeoutMs) {
    std::vector<pollfd> fds;
    for (const CEntry& entry : m_entries) {
        fds.push_back({entry.listener.Get(), POLLIN, 0});
    }
    if (::poll(fds.data(), fds.size(), timeoutMs) <= 0) {
        return false;
    }
    bool answered = false;
    for (size_t i = 0; i < fds.size(); ++i) {
        if ((fds[i].revents & POLLIN) == 0) {
            continue;
        }
        for (;;) {
            wire::CFd connection(
                ::accept4(m_entries[i].listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!connection.Valid()) {
                break;
            }
            Answer(m_entries[i], connection.Get());
            answered = true;
        }
    }
    return answered;
}

void CWindowPublisher::Answer(CEntry& entry, int connection) {
    // Accepted sockets do not inherit the listener's non-blocking mode; a silent caller is
    // given up on after a while so that it cannot hold up every other window.
    wire::SetTimeouts(connection, 1000);
    std::string request;
    if (!wire::ReadFrame(connection, request)) {
        return;
    }
    wire::WriteFrame(connection, Dispatch(entry, request));
}

std::string CWindowPublisher::Dispatch(CEntry& entry, const std::string& request) {
    wire::CReader reader(request);
    wire::CWriter answer;
    uint8_t op = 0;
    uint32_t a = 0;
    uint32_t b = 0;
    int64_t wParam = 0;
    int64_t lParam = 0;
    reader.U8(op);
    switch (op) {
        case wire::kOpMessage:
            if (reader.U32(a) && reader.I64(wParam) && reader.I64(lParam)) {
                answer.U32(static_cast<uint32_t>(entry.window->OnMessage(a, wParam, lParam)));
            }
            break;
        case wire::kOpCopyData:
            if (reader.U32(a)) {
                answer.U32(static_cast<uint32_t>(entry.window->OnCopyData(a, reader.Rest())));
            }
            break;
        case wire::kOpGetTitle:
            answer.Bytes(entry.window->Title());
            break;
        case wire::kOpReserve:
            answer.U32(reader.U32(a) ? m_memory.Reserve(a) : 0);
            break;
        case wire::kOpWrite:
            answer.U32(reader.U32(a) && m_memory.Write(a, reader.Rest()) ? 1 : 0);
            break;
        case wire::kOpRead: {
            std::string bytes;
            const bool ok = reader.U32(a) && reader.U32(b) && m_memory.Read(a, b, bytes);
            answer.U32(ok ? 1 : 0).Bytes(bytes);
            break;
        }
        case wire::kOpFree:
            answer.U32(reader.U32(a) && m_memory.Free(a) ? 1 : 0);
            break;
        default:
            break;
    }
    return answer.Data();
}

bool CWindowPublisher::StillPublished() const {
    struct stat info {};
    return std::all_of(m_entries.begin(), m_entries.end(), [&info](const CEntry& entry) {
        return ::stat(entry.path.c_str(), &info) == 0;
    });
}

}  // namespace vantor
