#include "server/web/HttpConnection.h"

namespace vantor {

bool CHttpConnection::Write(std::string_view bytes) {
    std::lock_guard lock(m_writeLock);
    return WriteLocked(bytes);
}

bool CHttpConnection::WriteLocked(std::string_view bytes) {
    if (m_closed.load()) return false;
    if (m_socket.Send(bytes.data(), bytes.size()) != static_cast<int>(bytes.size())) {
        Close();
        return false;
    }
    return true;
}

void CHttpConnection::Close() {
    m_closed.store(true);
    m_socket.Close();
}

}  // namespace vantor
