#include "server/player/mpd/MpdConnection.h"

#include "protocol/ResultCodes.h"
#include "server/core/Logger.h"

#include <algorithm>

namespace vantor {

std::string CMpdAddress::Describe() const {
    return IsLocalSocket() ? host : host + ":" + std::to_string(port);
}

int32_t MapMpdError(mpd_error error, mpd_server_error serverError) {
    switch (error) {
        case MPD_ERROR_SUCCESS:
            return kResultSuccess;
        case MPD_ERROR_SERVER:
            return serverError == MPD_SERVER_ERROR_NO_EXIST ? kResultMediaNotFound
                                                            : kResultPlayerCommandFailed;
        case MPD_ERROR_ARGUMENT:
        case MPD_ERROR_STATE:
            return kResultPlayerCommandFailed;
        default:  // closed, timeout, system, resolver, malformed, out of memory
            return kResultPlayerComm;
    }
}

bool CMpdConnection::IsLinkError(int32_t code) {
    return code == kResultPlayerComm;
}

int CMpdBackoff::NextDelayMs() {
    const int delay = m_next;
    m_next = std::min(m_max, m_next * 2);
    return delay;
}

CMpdConnection::CMpdConnection(CLogger& logger, std::string label)
    : m_logger(logger), m_label(std::move(label)) {}

CMpdConnection::~CMpdConnection() = default;

int32_t CMpdConnection::Open(const CMpdAddress& address) {
    Close();
    const char* host = address.host.empty() ? nullptr : address.host.c_str();
    const unsigned port = address.IsLocalSocket() ? 0 : static_cast<unsigned>(address.port);
    m_connection.reset(mpd_connection_new(host, port, address.timeoutMs));
    if (!m_connection) {
        m_logger.LogCritical("ERROR: MPD %s connection to %s: out of memory", m_label.c_str(),
                             address.Describe().c_str());
        return kResultPlayerComm;
    }
    if (mpd_connection_get_error(m_connection.get()) != MPD_ERROR_SUCCESS) {
        if (!m_lossLogged) {
            m_lossLogged = true;
            m_logger.LogCritical("ERROR: MPD %s connection to %s failed: %s", m_label.c_str(),
                                 address.Describe().c_str(),
                                 mpd_connection_get_error_message(m_connection.get()));
        }
        m_connection.reset();
        return kResultPlayerComm;
    }
    if (!address.password.empty() &&
        !mpd_run_password(m_connection.get(), address.password.c_str())) {
        const int32_t code = Fail("password");
        Close();  // a refused password leaves us without the rights we need
        return code == kResultSuccess ? kResultPlayerComm : code;
    }
    if (m_lossLogged) {
        m_logger.LogNormal("MPD %s connection to %s established", m_label.c_str(),
                           address.Describe().c_str());
    }
    m_lossLogged = false;
    return kResultSuccess;
}

void CMpdConnection::Close() {
    m_connection.reset();
}

int32_t CMpdConnection::Fail(const char* what) {
    return Handle(what, true, kResultSuccess);
}

int32_t CMpdConnection::FailQuietly(const char* what, int32_t quietCode) {
    return Handle(what, true, quietCode);
}

int32_t CMpdConnection::Handle(const char* what, bool logIt, int32_t quietCode) {
    if (!m_connection) return kResultPlayerComm;
    mpd_connection* c = m_connection.get();
    const mpd_error error = mpd_connection_get_error(c);
    const mpd_server_error serverError =
        error == MPD_ERROR_SERVER ? mpd_connection_get_server_error(c) : MPD_SERVER_ERROR_UNK;
    const int32_t code = MapMpdError(error, serverError);
    if (code == kResultSuccess) return kResultPlayerCommandFailed;  // failed without a reason
    const bool quiet = quietCode != kResultSuccess && code == quietCode;
    if (logIt && !quiet && !(IsLinkError(code) && m_lossLogged)) {
        m_logger.LogCritical("ERROR: MPD %s failed (%s connection): %s", what, m_label.c_str(),
                             mpd_connection_get_error_message(c));
    }
    if (IsLinkError(code) || !mpd_connection_clear_error(c)) {
        m_lossLogged = m_lossLogged || IsLinkError(code);
        Close();
    }
    return code;
}

}  // namespace vantor
