#pragma once

// A small HTTP server on 127.0.0.1 for the update tests: answers GET requests from a table
// of paths (the query is ignored) and remembers each request target. One connection at a
// time, "Connection: close".

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantor::test {

class CLocalHttpServer {
public:
    CLocalHttpServer();  // listens on a free port
    ~CLocalHttpServer();

    // Serves `body` with status 200 at `path` ("/vantor/update.php").
    void Serve(const std::string& path, const std::string& body);
    int Port() const { return m_port; }
    std::string Url(const std::string& path) const;
    // The targets requested so far ("/vantor/update.php?version=...").
    std::vector<std::string> Requests() const;

private:
    void Loop();
    void Answer(int connection);

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::map<std::string, std::string> m_files;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

}  // namespace vantor::test
