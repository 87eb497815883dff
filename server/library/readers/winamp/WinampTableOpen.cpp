// Opening a table pair from its files, under the player's lock-file protocol.
//
// The player creates "<table>.lock" with no sharing while it works on the files. On Linux a
// file cannot be opened without sharing, so the lock is an exclusive flock on that file:
// whoever holds it (the player, another reader) makes the others wait.

#include "server/library/readers/winamp/WinampTable.h"

#include "server/core/Logger.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace vantor {

namespace {

// Owns the lock file while it is held; deletes it when let go.
class CLockFile {
public:
    explicit CLockFile(std::string path) : m_path(std::move(path)) {}
    ~CLockFile() {
        if (m_fd < 0) return;
        ::unlink(m_path.c_str());  // while still locked, so nobody locks the doomed file
        ::close(m_fd);
    }
    CLockFile(const CLockFile&) = delete;
    CLockFile& operator=(const CLockFile&) = delete;

    // One attempt. 0 when locked; otherwise the errno of the failure.
    int TryLock() {
        const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return errno;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return error;
        }
        // The holder before us may have deleted the file between our open and our lock:
        // then the lock is on a file nobody else will ever see, and we must start again.
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) != 0 || ::stat(m_path.c_str(), &named) != 0 ||
            held.st_ino != named.st_ino || held.st_dev != named.st_dev) {
            ::close(fd);
            return EAGAIN;
        }
        m_fd = fd;
        return 0;
    }

private:
    std::string m_path;
    int m_fd = -1;
};

bool IsAccessDenied(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

}  // namespace

std::unique_ptr<CWinampTable> CWinampTable::Open(const std::string& tablePath,
                                                 const std::string& indexPath, CLogger& logger,
                                                 const CancelCheck& cancel) {
    auto table = std::make_unique<CFileByteSource>();
    auto index = std::make_unique<CFileByteSource>();
    {
        CLockFile lock(tablePath + ".lock");
        for (int attempt = 0;; ++attempt) {
            const int error = lock.TryLock();
            if (error == 0) break;
            if (IsAccessDenied(error)) {
                logger.LogCritical("ERROR: Unable to create the lock file %s.lock: %s",
                                   tablePath.c_str(), std::strerror(error));
                return nullptr;
            }
            if (attempt == kLockRetries) {
                logger.LogCritical("ERROR: The lock file %s.lock is held by another program",
                                   tablePath.c_str());
                return nullptr;
            }
            if (cancel && cancel()) return nullptr;
            std::this_thread::sleep_for(std::chrono::milliseconds(kLockPauseMs));
        }
        for (auto [source, path] :
             {std::pair{table.get(), &tablePath}, {index.get(), &indexPath}}) {
            if (!source->Open(*path)) {
                logger.LogCritical("ERROR: Unable to open %s: %s", path->c_str(),
                                   std::strerror(errno));
                return nullptr;
            }
        }
    }  // the lock goes once both files are open
    CFileByteSource& tableSource = *table;
    CFileByteSource& indexSource = *index;
    std::unique_ptr<CWinampTable> opened(new CWinampTable(tableSource, indexSource, logger));
    opened->m_ownTable = std::move(table);
    opened->m_ownIndex = std::move(index);
    if (!opened->Load()) return nullptr;
    return opened;
}

}  // namespace vantor
