#include "server/web/HttpConnection.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace vantor {

namespace {

bool WouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK;
}

}  // namespace

bool CHttpConnection::Write(std::string_view bytes) {
    std::lock_guard lock(m_writeLock);
    return WriteLocked(bytes);
}

bool CHttpConnection::WriteLocked(std::string_view bytes) {
    if (m_closed.load()) return false;
    if (m_pooled.load()) return WritePooled(bytes, false);
    if (m_socket.SendBefore(bytes.data(), bytes.size(),
                            std::chrono::steady_clock::now() + m_sendDeadline) !=
        CNetSocket::SendResult::kSent) {
        Close();
        return false;
    }
    NoteAnswer();
    return true;
}

bool CHttpConnection::WriteFileLocked(std::string_view prefix, int fd, int64_t offset,
                                      int64_t length) {
    if (m_closed.load()) return false;
    if (m_pooled.load()) return WriteFilePooled(prefix, fd, offset, length);
    const bool sent = (prefix.empty() || m_socket.Send(prefix.data(), prefix.size(), true) ==
                                             static_cast<int>(prefix.size())) &&
                      m_socket.SendFileBytes(fd, offset, length);
    if (!sent) {
        Close();
        return false;
    }
    NoteAnswer();
    return true;
}

bool CHttpConnection::SetPooled(bool pooled) {
    const int fd = m_socket.Descriptor();
    const int flags = fd < 0 ? -1 : ::fcntl(fd, F_GETFL);
    if (flags < 0 ||
        ::fcntl(fd, F_SETFL, pooled ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK)) != 0) {
        return false;
    }
    m_pooled.store(pooled);
    return true;
}

void CHttpConnection::Fail() {
    m_pending.clear();
    Close();
}

bool CHttpConnection::WritePooled(std::string_view bytes, bool fileHeader) {
    size_t done = 0;
    while (m_pending.empty() && done < bytes.size()) {
        const ssize_t sent = ::send(m_socket.Descriptor(), bytes.data() + done, bytes.size() - done,
                                    MSG_NOSIGNAL | MSG_DONTWAIT | (fileHeader ? MSG_MORE : 0));
        if (sent > 0) {
            done += static_cast<size_t>(sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && WouldBlock()) {
            break;
        } else {
            Fail();
            return false;
        }
    }
    if (done < bytes.size()) {
        PendingPart part;
        part.bytes.assign(bytes.substr(done));
        part.fileHeader = fileHeader;
        m_pending.push_back(std::move(part));
    } else if (m_pending.empty()) {
        NoteAnswer();
    }
    return true;
}

bool CHttpConnection::WriteFilePooled(std::string_view prefix, int fd, int64_t offset,
                                      int64_t length) {
    if (!prefix.empty() && !WritePooled(prefix, true)) return false;
    off_t position = static_cast<off_t>(offset);
    const int64_t end = offset + length;
    while (m_pending.empty() && position < end) {
        const ssize_t sent = ::sendfile(m_socket.Descriptor(), fd, &position,
                                        static_cast<size_t>(std::min<int64_t>(end - position, 1 << 30)));
        if (sent > 0) continue;
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && WouldBlock()) break;
        Fail();  // a failed connection, or the file ended early
        return false;
    }
    if (position < end) {
        PendingPart part;
        part.file.Reset(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
        if (!part.file.IsValid()) {
            Fail();
            return false;
        }
        part.offset = position;
        part.length = end - position;
        m_pending.push_back(std::move(part));
    } else if (m_pending.empty()) {
        NoteAnswer();
    }
    return true;
}

bool CHttpConnection::FinishPendingAnswer() {
    std::vector<PendingPart> parts;
    parts.swap(m_pending);
    for (PendingPart& part : parts) {
        if (m_closed.load()) return false;
        bool sent = true;
        if (part.file.IsValid()) {
            sent = m_socket.SendFileBytes(part.file.Get(), part.offset, part.length);
        } else if (part.fileHeader) {
            sent = m_socket.Send(part.bytes.data(), part.bytes.size(), true) ==
                   static_cast<int>(part.bytes.size());
        } else {
            sent = m_socket.SendBefore(part.bytes.data(), part.bytes.size(),
                                       std::chrono::steady_clock::now() + m_sendDeadline) ==
                   CNetSocket::SendResult::kSent;
        }
        if (!sent) {
            Close();
            return false;
        }
    }
    NoteAnswer();
    return true;
}

void CHttpConnection::Close() {
    m_closed.store(true);
    m_socket.Close();
}

}  // namespace vantor
