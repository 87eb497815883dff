#pragma once

#include "server/library/art/AlbumArtProvider.h"

#include <string>

namespace vantor {

class CConfigStore;

// Looks a cover up with the item-search operation of the product-search web service named by
// "AlbumArtLookupURL" (empty: no lookup) and downloads the picture it lists. Blocks for the
// HTTP round trips and the pauses between retries.
class COnlineArtProvider : public IAlbumArtProvider {
public:
    explicit COnlineArtProvider(CConfigStore& config);

    int GetAlbumArt(const CMusicItem& track, const std::string& targetPath) override;

    // Pause between a failed lookup and the next try, in milliseconds.
    void SetRetryDelay(int milliseconds) { m_retryDelayMs = milliseconds; }

private:
    int Lookup(const std::string& endpoint, const std::string& artist, const std::string& album,
               const std::string& title, const std::string& targetPath) const;

    CConfigStore& m_config;
    int m_retryDelayMs = 1000;
};

// The picture address in an item-search answer: from the item that holds the track matching
// the title's words when the answer lists tracks, else from the first item; the large image
// before the medium one. Empty when the answer has none.
std::string FindPictureUrl(const std::string& response, const std::string& title);

}  // namespace vantor
