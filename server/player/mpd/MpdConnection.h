#pragma once

#include <mpd/client.h>

#include <cstdint>
#include <memory>
#include <string>

namespace vantor {

class CLogger;

// Where MPD listens. A host that starts with '/' or '@' is a local socket path.
struct CMpdAddress {
    std::string host = "127.0.0.1";
    int port = 6600;
    std::string password;
    unsigned timeoutMs = 3000;

    bool IsLocalSocket() const { return !host.empty() && (host[0] == '/' || host[0] == '@'); }
    std::string Describe() const;
};

// One connection to MPD. Owns the libmpdclient handle; not thread-safe (each user keeps
// its own connection or guards it). Failures are turned into protocol result codes:
// a lost or refused connection 102, a song or sticker MPD does not have 100, anything
// else MPD refuses 103. Every failure is logged once with MPD's own message; a lost
// connection is logged once until the connection opens again.
class CMpdConnection {
public:
    CMpdConnection(CLogger& logger, std::string label);
    ~CMpdConnection();
    CMpdConnection(const CMpdConnection&) = delete;
    CMpdConnection& operator=(const CMpdConnection&) = delete;

    // Connects (and sends the password when one is set). 0 or 102. Blocks up to the
    // address's timeout.
    int32_t Open(const CMpdAddress& address);
    void Close();
    bool IsOpen() const { return m_connection != nullptr; }
    // The handle for libmpdclient calls; null while closed.
    mpd_connection* Get() const { return m_connection.get(); }

    // Call after a libmpdclient call failed. Maps the error to a result code, logs it with
    // `what`, and either clears it (MPD refused the command) or closes the connection (the
    // link is broken). Returns the result code.
    int32_t Fail(const char* what);
    // As Fail, but an error of the kind `quietCode` maps to (for example 100 for a missing
    // sticker) is cleared without a log line.
    int32_t FailQuietly(const char* what, int32_t quietCode);

    // True when the last Fail closed the connection because MPD went away.
    static bool IsLinkError(int32_t code);

private:
    struct Closer {
        void operator()(mpd_connection* c) const { mpd_connection_free(c); }
    };

    int32_t Handle(const char* what, bool logIt, int32_t quietCode);

    CLogger& m_logger;
    std::string m_label;
    std::unique_ptr<mpd_connection, Closer> m_connection;
    bool m_lossLogged = false;
};

// Maps an error state of libmpdclient to a protocol result code.
int32_t MapMpdError(mpd_error error, mpd_server_error serverError);

// Delays for reconnecting: doubles from `firstMs` up to `maxMs`, back to the start on Reset.
class CMpdBackoff {
public:
    CMpdBackoff(int firstMs = 100, int maxMs = 2000)
        : m_first(firstMs), m_max(maxMs), m_next(firstMs) {}
    int NextDelayMs();
    void Reset() { m_next = m_first; }

private:
    int m_first;
    int m_max;
    int m_next;
};

}  // namespace vantor
