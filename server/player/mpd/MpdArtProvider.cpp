#include "server/player/mpd/MpdArtProvider.h"

#include "protocol/MediaItem.h"
#include "protocol/ResultCodes.h"

#include <cstdio>
#include <fstream>
#include <vector>

namespace vantor {

CMPDArtProvider::CMPDArtProvider(CLogger& logger, CMpdAddress address,
                                 std::shared_ptr<const CMpdPaths> paths)
    : m_logger(logger), m_address(std::move(address)), m_paths(std::move(paths)) {}

std::string CMPDArtProvider::Fetch(CMpdConnection& connection, const std::string& uri,
                                   bool embedded) {
    std::string picture;
    std::vector<char> chunk(8192);  // MPD's default binary chunk
    while (picture.size() < kMaxPictureBytes) {
        const unsigned offset = static_cast<unsigned>(picture.size());
        const int n = embedded ? mpd_run_readpicture(connection.Get(), uri.c_str(), offset,
                                                     chunk.data(), chunk.size())
                               : mpd_run_albumart(connection.Get(), uri.c_str(), offset,
                                                  chunk.data(), chunk.size());
        if (n < 0) {
            // No cover file or no embedded picture is the common case, not worth a log line.
            connection.FailQuietly(embedded ? "readpicture" : "albumart", kResultMediaNotFound);
            return "";
        }
        if (n == 0) break;
        picture.append(chunk.data(), static_cast<size_t>(n));
    }
    return picture;
}

int CMPDArtProvider::GetAlbumArt(const CMusicItem& track, const std::string& targetPath) {
    if (track.path.empty()) return -1;
    CMpdConnection connection(m_logger, "album art");
    if (connection.Open(m_address) != kResultSuccess) return -1;
    const std::string uri = m_paths->ToUri(track.path);
    std::string picture = Fetch(connection, uri, false);
    if (picture.empty() && connection.IsOpen()) picture = Fetch(connection, uri, true);
    if (picture.empty()) return -1;

    std::ofstream out(targetPath, std::ios::binary | std::ios::trunc);
    out.write(picture.data(), static_cast<std::streamsize>(picture.size()));
    out.close();
    if (!out) {
        std::remove(targetPath.c_str());
        return -1;
    }
    return 0;
}

}  // namespace vantor
