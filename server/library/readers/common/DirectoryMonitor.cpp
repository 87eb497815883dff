#include "server/library/readers/common/DirectoryMonitor.h"

#include "server/core/Logger.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>


namespace vantor {

namespace {

constexpr uint32_t kWatchedEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                    IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF |
                                    IN_MOVE_SELF;

// Owns the inotify descriptor.
class CInotify {
public:
    CInotify() : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~CInotify() {
        if (m_fd >= 0) close(m_fd);
    }
    CInotify(const CInotify&) = delete;
    CInotify& operator=(const CInotify&) = delete;
    int Fd() const { return m_fd; }

    // Waits up to `ms` for events and reads them all; true when there were any. A watched
    // folder that went away is forgotten, so that it is watched again once it reappears.
    bool Wait(int ms, int& watch, int wakeFd) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        if (poll(fds, 2, ms) <= 0 || (fds[0].revents & POLLIN) == 0) return false;
        alignas(inotify_event) char buffer[8192];
        bool any = false;
        for (;;) {
            ssize_t got = read(m_fd, buffer, sizeof buffer);
            if (got <= 0) break;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if ((event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) != 0) watch = -1;
                any = true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return any;
    }

private:
    int m_fd;
};

}  // namespace

CDirectoryMonitor::CDirectoryMonitor(CLogger& logger) : m_logger(logger), m_thread(logger) {}

CDirectoryMonitor::~CDirectoryMonitor() {
    Stop();
}

int CDirectoryMonitor::Start(const std::string& folder, Callback callback) {
    Stop();
    m_stop.store(false);
    uint64_t drained = 0;
    if (m_wakeFd >= 0 && read(m_wakeFd, &drained, sizeof drained) < 0) drained = 0;
    return m_thread.Start("Directory Monitor", [this, folder, callback = std::move(callback)] {
        Run(folder, callback);
    });
}

void CDirectoryMonitor::Stop() {
    m_stop.store(true);
    uint64_t one = 1;
    if (m_wakeFd >= 0 && write(m_wakeFd, &one, sizeof one) < 0) one = 0;
    m_thread.Stop();
}

void CDirectoryMonitor::Run(std::string folder, Callback callback) {
    CInotify inotify;
    if (inotify.Fd() < 0) {
        m_logger.LogCritical("ERROR: Unable to watch folder %s for changes", folder.c_str());
        return;
    }
    int watch = -1;
    while (!m_stop.load()) {
        if (watch < 0) {
            watch = inotify_add_watch(inotify.Fd(), folder.c_str(), kWatchedEvents | IN_ONLYDIR);
            if (watch < 0) {
                // Not there (yet): look again after a while.
                pollfd wake{m_wakeFd, POLLIN, 0};
                poll(&wake, m_wakeFd >= 0 ? 1 : 0, kPollMs);
                continue;
            }
        }
        if (!inotify.Wait(kPollMs, watch, m_wakeFd)) continue;
        // Let a burst of writes settle before the file is looked at.
        while (!m_stop.load() && inotify.Wait(kQuietMs, watch, m_wakeFd)) {
        }
        if (!m_stop.load() && callback) callback();
    }
}

}  // namespace vantor
