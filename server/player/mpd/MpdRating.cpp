#include "server/player/mpd/MpdRating.h"

#include "protocol/ResultCodes.h"

#include <cstdlib>
#include <cstring>

namespace vantor {

int32_t ReadRating(CMpdConnection& connection, const std::string& uri, int32_t& rating) {
    rating = 0;
    mpd_connection* c = connection.Get();
    if (!c) return kResultPlayerComm;
    if (!mpd_send_sticker_get(c, "song", uri.c_str(), kMpdRatingSticker)) {
        return connection.Fail("sticker get");
    }
    while (mpd_pair* pair = mpd_recv_sticker(c)) {
        rating = std::atoi(pair->value);
        mpd_return_sticker(c, pair);
    }
    if (!mpd_response_finish(c)) {
        // MPD answers "no such sticker" for an unrated song: that is a rating of 0.
        const bool noSticker = mpd_connection_get_error(c) == MPD_ERROR_SERVER &&
                               mpd_connection_get_server_error(c) == MPD_SERVER_ERROR_NO_EXIST &&
                               std::strstr(mpd_connection_get_error_message(c), "sticker");
        const int32_t code = connection.FailQuietly("sticker get", kResultMediaNotFound);
        return noSticker ? kResultSuccess : code;
    }
    if (rating < 0) rating = 0;
    if (rating > 100) rating = 100;
    return kResultSuccess;
}

int32_t WriteRating(CMpdConnection& connection, const std::string& uri, int32_t rating) {
    if (rating < 0 || rating > 100) return kResultInvalidArgs;
    mpd_connection* c = connection.Get();
    if (!c) return kResultPlayerComm;
    const std::string value = std::to_string(rating);
    if (!mpd_run_sticker_set(c, "song", uri.c_str(), kMpdRatingSticker, value.c_str())) {
        return connection.Fail("sticker set");
    }
    return kResultSuccess;
}

std::string AskMusicDirectory(CMpdConnection& connection) {
    mpd_connection* c = connection.Get();
    if (!c || !mpd_send_command(c, "config", nullptr)) return "";
    std::string directory;
    while (mpd_pair* pair = mpd_recv_pair(c)) {
        if (std::strcmp(pair->name, "music_directory") == 0) directory = pair->value;
        mpd_return_pair(c, pair);
    }
    if (!mpd_response_finish(c)) {
        connection.FailQuietly("config", kResultPlayerCommandFailed);
        return "";
    }
    return directory;
}

}  // namespace vantor
