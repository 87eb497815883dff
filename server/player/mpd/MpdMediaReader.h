#pragma once

#include "server/library/MediaReader.h"
#include "server/player/mpd/MpdConnection.h"
#include "server/player/mpd/MpdSong.h"

#include <memory>

namespace vantor {

class CLogger;

// Reads MPD's own database into the media library: every song as an audio track (genre and
// track number through the shared reader routines, empty genre, artist and album as
// "Unknown ..."), and every stored playlist as a top-level playlist whose path is its name.
// Songs are fetched in windows so that a large database never makes one huge answer, which
// MPD would refuse.
class CMPDMediaReader : public IMediaReader {
public:
    static constexpr unsigned kDefaultWindow = 1000;
    static constexpr int kRescanPollMs = 100;

    CMPDMediaReader(CLogger& logger, CMpdAddress address, std::shared_ptr<CMpdPaths> paths,
                    unsigned window = kDefaultWindow);

    // 0 when MPD's whole database was read; -1 when MPD could not be reached or failed
    // part-way (what was added stays added) or when no owner is set.
    int Read() override;
    // Asks MPD to update its database from the music folder and waits until it has (or
    // until Stop). -1 when MPD could not be reached or refused.
    int Rescan() override;

private:
    bool ReadSongs(CMpdConnection& connection, IMediaReaderOwner& owner);
    bool ReadPlaylists(CMpdConnection& connection, IMediaReaderOwner& owner);

    CLogger& m_logger;
    const CMpdAddress m_address;
    std::shared_ptr<CMpdPaths> m_paths;
    const unsigned m_window;
};

}  // namespace vantor
