#include "server/library/readers/common/DirectoryMonitor.h"

#include "server/core/Logger.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <map>

namespace vantor {

namespace {

constexpr uint32_t kWatchedEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                    IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF |
                                    IN_MOVE_SELF;

// Owns the inotify descriptor and the folders it watches.
class CInotify {
public:
    CInotify(std::string root, bool subfolders)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
          m_root(std::move(root)),
          m_subfolders(subfolders) {}
    ~CInotify() {
        if (m_fd >= 0) close(m_fd);
    }
    CInotify(const CInotify&) = delete;
    CInotify& operator=(const CInotify&) = delete;
    int Fd() const { return m_fd; }
    bool WatchesRoot() const { return m_rootWatch >= 0; }

    // Watches the root folder (and its subfolders); false while it does not exist.
    bool WatchRoot() {
        m_rootWatch = Add(m_root);
        return m_rootWatch >= 0;
    }

    // Waits up to `ms` for events and reads them all; true when there were any. A watched
    // root that went away is forgotten, so that it is watched again once it reappears; a new
    // subfolder is watched at once.
    bool Wait(int ms, int wakeFd) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        if (poll(fds, 2, ms) <= 0 || (fds[0].revents & POLLIN) == 0) return false;
        alignas(inotify_event) char buffer[8192];
        bool any = false;
        for (;;) {
            ssize_t got = read(m_fd, buffer, sizeof buffer);
            if (got <= 0) break;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                Handle(*event);
                any = true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return any;
    }

private:
    void Handle(const inotify_event& event) {
        auto folder = m_folders.find(event.wd);
        if (folder == m_folders.end()) return;
        if ((event.mask & IN_IGNORED) != 0) {
            if (event.wd == m_rootWatch) m_rootWatch = -1;
            m_folders.erase(folder);
            return;
        }
        if ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) != 0 && event.wd == m_rootWatch) {
            inotify_rm_watch(m_fd, m_rootWatch);
            m_rootWatch = -1;
            return;
        }
        if (m_subfolders && (event.mask & IN_ISDIR) != 0 &&
            (event.mask & (IN_CREATE | IN_MOVED_TO)) != 0 && event.len > 0) {
            Add(folder->second + "/" + event.name);
        }
    }

    // Watches `path` and, with subfolders, every folder below it; the watch of `path`, or -1.
    int Add(const std::string& path) {
        if (m_folders.size() >= static_cast<size_t>(CDirectoryMonitor::kMaxFolders)) return -1;
        const int watch = inotify_add_watch(m_fd, path.c_str(), kWatchedEvents | IN_ONLYDIR);
        if (watch < 0) return -1;
        m_folders[watch] = path;
        if (!m_subfolders) return watch;
        std::error_code error;
        for (std::filesystem::directory_iterator it(path, error), end; !error && it != end;
             it.increment(error)) {
            std::error_code ignored;
            if (it->is_directory(ignored) && !it->is_symlink(ignored)) Add(it->path().string());
        }
        return watch;
    }

    int m_fd;
    std::string m_root;
    bool m_subfolders;
    int m_rootWatch = -1;
    std::map<int, std::string> m_folders;  // watch -> folder
};

}  // namespace

CDirectoryMonitor::CDirectoryMonitor(CLogger& logger)
    : m_logger(logger), m_thread(logger), m_wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CDirectoryMonitor::~CDirectoryMonitor() {
    Stop();
    if (m_wakeFd >= 0) close(m_wakeFd);
}

int CDirectoryMonitor::Start(const std::string& folder, Callback callback, Options options) {
    Stop();
    m_stop.store(false);
    uint64_t drained = 0;
    if (m_wakeFd >= 0 && read(m_wakeFd, &drained, sizeof drained) < 0) drained = 0;
    return m_thread.Start("Directory Monitor", [this, folder, callback = std::move(callback),
                                                options] { Run(folder, callback, options); });
}

void CDirectoryMonitor::Stop() {
    m_stop.store(true);
    uint64_t one = 1;
    if (m_wakeFd >= 0 && write(m_wakeFd, &one, sizeof one) < 0) one = 0;
    m_thread.Stop();
}

void CDirectoryMonitor::Run(const std::string& folder, const Callback& callback, Options options) {
    CInotify inotify(folder, options.subfolders);
    if (inotify.Fd() < 0) {
        m_logger.LogCritical("ERROR: Unable to watch folder %s for changes", folder.c_str());
        return;
    }
    while (!m_stop.load()) {
        if (!inotify.WatchesRoot() && !inotify.WatchRoot()) {
            // Not there (yet): look again after a while.
            pollfd wake{m_wakeFd, POLLIN, 0};
            poll(&wake, m_wakeFd >= 0 ? 1 : 0, kPollMs);
            continue;
        }
        if (!inotify.Wait(kPollMs, m_wakeFd)) continue;
        // Let a burst of writes settle before the files are looked at.
        while (!m_stop.load() && inotify.Wait(options.quietMs, m_wakeFd)) {
        }
        if (!m_stop.load() && callback) callback();
    }
}

}  // namespace vantor
