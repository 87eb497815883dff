#include "server/player/mpd/MpdConfig.h"

#include "server/core/ConfigStore.h"

namespace vantor {

CMpdAddress MpdAddressFromConfig(const CConfigStore& config) {
    CMpdAddress address;
    address.host = config.GetString("MPD\\Host", "127.0.0.1");
    address.port = config.GetInt("MPD\\Port", 6600);
    address.password = config.GetString("MPD\\Password", "");
    return address;
}

std::string MpdMusicDirectoryFromConfig(const CConfigStore& config) {
    return config.GetString("MPD\\MusicDirectory", "");
}

bool MpdAnswers(const CConfigStore& config) {
    CMpdAddress address = MpdAddressFromConfig(config);
    address.timeoutMs = 500;
    const unsigned port = address.IsLocalSocket() ? 0 : static_cast<unsigned>(address.port);
    mpd_connection* c = mpd_connection_new(address.host.c_str(), port, address.timeoutMs);
    const bool answers = c && mpd_connection_get_error(c) == MPD_ERROR_SUCCESS;
    if (c) mpd_connection_free(c);
    return answers;
}

}  // namespace vantor
