#include "server/web/HttpConnection.h"

namespace vantor {

bool CHttpConnection::Write(std::string_view bytes) {
    std::lock_guard lock(m_writeLock);
    return WriteLocked(bytes);
}

bool CHttpConnection::WriteLocked(std::string_view bytes) {
    if (m_closed.load()) return false;
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

void CHttpConnection::Close() {
    m_closed.store(true);
    m_socket.Close();
}

}  // namespace vantor
