#include "server/library/store/ReadConnectionPool.h"

#include <sys/stat.h>

#include <utility>

namespace vantor {

CReadConnectionPool::CReadConnectionPool(std::string path, int busyTimeoutMs,
                                         std::function<void(CppSQLiteConnection&)> prepare,
                                         size_t keep)
    : m_path(std::move(path)),
      m_busyTimeoutMs(busyTimeoutMs),
      m_prepare(std::move(prepare)),
      m_keep(keep) {}

CReadConnectionPool::FileIdentity CReadConnectionPool::Identify() const {
    struct stat info {};
    if (stat(m_path.c_str(), &info) != 0) return {};
    return {info.st_dev, info.st_ino, true};
}

CReadConnectionPool::Lease CReadConnectionPool::Take() {
    const FileIdentity now = Identify();
    std::vector<Idle> stale;  // closed outside the lock
    {
        std::lock_guard<std::mutex> guard(m_lock);
        while (!m_idle.empty()) {
            Idle idle = std::move(m_idle.back());
            m_idle.pop_back();
            if (now.known && idle.file == now) {
                return Lease(*this, std::move(idle.connection), now);
            }
            stale.push_back(std::move(idle));
        }
    }
    stale.clear();
    auto connection = std::make_unique<CppSQLiteConnection>();
    connection->Open(m_path);
    connection->SetBusyTimeout(m_busyTimeoutMs);
    if (m_prepare) m_prepare(*connection);
    // Kept afterwards only when the path named the same file before and after the open:
    // otherwise which file the connection reads is not known.
    const FileIdentity after = Identify();
    return Lease(*this, std::move(connection), after == now ? now : FileIdentity{});
}

void CReadConnectionPool::GiveBack(std::unique_ptr<CppSQLiteConnection> connection,
                                   FileIdentity file) {
    if (!file.known) return;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_idle.size() < m_keep) {
            m_idle.push_back({std::move(connection), file});
            return;
        }
    }
    connection.reset();  // one too many: closed, outside the lock
}

void CReadConnectionPool::Clear() {
    std::vector<Idle> idle;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        idle.swap(m_idle);
    }
}

CReadConnectionPool::Lease::Lease(CReadConnectionPool& pool,
                                  std::unique_ptr<CppSQLiteConnection> connection,
                                  FileIdentity file)
    : m_pool(&pool), m_connection(std::move(connection)), m_file(file) {}

CReadConnectionPool::Lease::~Lease() {
    if (m_pool != nullptr && m_connection) m_pool->GiveBack(std::move(m_connection), m_file);
}

}  // namespace vantor
