#pragma once

#include <sys/types.h>
#include <mutex>
#include <string>
#include <vector>

namespace vantor {

// Starts desktop programs for this process and collects their exit, so that a program that
// quit does not linger as a zombie. Thread-safe.
class CChildPrograms {
public:
    ~CChildPrograms();
    // Starts the program in a session of its own with quiet standard streams and no other
    // descriptors, so it outlives this process like any desktop program. False when it
    // cannot be started.
    bool Start(const std::string& path, const std::vector<std::string>& arguments = {});
    // Collects the exit of programs that have ended.
    void Reap();

private:
    std::mutex m_mutex;
    std::vector<pid_t> m_children;
};

}  // namespace vantor
