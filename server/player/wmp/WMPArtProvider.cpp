#include "server/player/wmp/WMPArtProvider.h"

#include "protocol/MediaItem.h"
#include "protocol/ResultCodes.h"
#include "server/player/wmp/WMPPlayer.h"

#include <fnmatch.h>
#include <filesystem>
#include <system_error>

namespace vantor {

int CWMPArtProvider::GetAlbumArt(const CMusicItem& track, const std::string& targetPath) {
    CAutomationObject player;
    if (!m_player.Control(player)) return kResultPlayerComm;
    const size_t slash = track.path.find_last_of("/\\");
    if (slash == std::string::npos) return kResultNoAlbumArt;
    CAutomationObject collection;
    CAutomationObject found;
    CAutomationObject media;
    int32_t count = 0;
    std::string id;
    if (Failed(player.Get("mediaCollection", collection)) || collection.IsNull() ||
        Failed(collection.Call("getByAttribute", {std::string("SourceURL"), track.path}, found)) ||
        found.IsNull() || Failed(found.Get("count", count)) || count < 1 ||
        Failed(found.Get("item", media, {0})) || media.IsNull() ||
        Failed(media.Call("getItemInfo", {std::string("WM/WMCollectionID")}, id)) || id.empty()) {
        return kResultNoAlbumArt;
    }
    // The id comes from the player: it is matched as a plain name, never as a path.
    if (id.find_first_of("/\\") != std::string::npos) return kResultNoAlbumArt;
    const std::string pattern = "AlbumArt_" + id + "_Large.*";
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(track.path.substr(0, slash), error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(error) &&
            ::fnmatch(pattern.c_str(), name.c_str(), FNM_NOESCAPE) == 0) {
            std::filesystem::copy_file(entry.path(), targetPath,
                                       std::filesystem::copy_options::overwrite_existing, error);
            return error ? kResultNoAlbumArt : kResultSuccess;
        }
    }
    return kResultNoAlbumArt;
}

}  // namespace vantor
