#pragma once

#include <atomic>
#include <string>

#include "platform/NetSocket.h"

namespace vantor {

// One running server per data folder. The first instance holds an exclusive lock on
// "Orvex.lock" in the folder and listens on the local socket "Orvex.sock" beside it; a
// later instance fails to take the lock, asks the first one to show its window through
// that socket, and exits.
//
// Acquire and AskToShow run on the caller's thread. WaitForShowRequest blocks and is meant
// for a worker thread of the first instance; Release (any thread) wakes it.
class CInstanceLock {
public:
    enum class Result {
        kAcquired,      // this is the first instance
        kOtherRunning,  // another instance holds the lock
        kError,         // the lock file could not be opened
    };

    CInstanceLock() = default;
    ~CInstanceLock();  // Release()
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;

    // `folder` ends with '/'. On kAcquired the local socket is listening too (when the
    // folder's path is too long for a local socket, only the lock is held).
    Result Acquire(const std::string& folder);

    // For a later instance: asks the one holding the lock to show itself. True once the
    // first instance confirmed the request; retries briefly while it is still starting.
    static bool AskToShow(const std::string& folder);

    // For the first instance: blocks until a later instance asks (true), or until Release
    // or a failure of the local socket (false).
    bool WaitForShowRequest();

    // Stops listening, removes the socket file and drops the lock. Idempotent.
    void Release();

private:
    int m_lockFd = -1;
    std::string m_socketPath;
    CNetSocket m_listener;
    std::atomic<bool> m_released{false};
};

}  // namespace vantor
