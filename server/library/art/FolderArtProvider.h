#pragma once

#include "server/library/art/AlbumArtProvider.h"

#include <string>
#include <vector>

namespace vantor {

class CConfigStore;

// Finds a picture file in the track's own folder: first the patterns of "AlbumArtFiles"
// (with %ARTIST, %ALBUM and %TITLE filled in), then the usual cover file names. Unless
// "PreferFolderAlbumArt" is set, the folder must name the album or the artist, so that a
// folder of mixed tracks does not lend one cover to all of them.
class CFolderArtProvider : public IAlbumArtProvider {
public:
    explicit CFolderArtProvider(CConfigStore& config);

    int GetAlbumArt(const CMusicItem& track, const std::string& targetPath) override;

    // The file-name patterns to try for this track, in order (wildcards allowed).
    std::vector<std::string> Patterns(const CMusicItem& track) const;

private:
    CConfigStore& m_config;
};

}  // namespace vantor
