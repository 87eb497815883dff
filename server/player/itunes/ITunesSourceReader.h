#pragma once

#include "server/library/MediaReader.h"

namespace vantor {

class CWin32ITunesPlayer;

// Lists the playlists of every iTunes source (the library, portable players, the radio) into
// the media library, through the connected adapter's application object. Registered with the
// media library while the adapter is connected; Read runs on the library's update thread.
class CITunesSourceReader : public IMediaReader {
public:
    explicit CITunesSourceReader(CWin32ITunesPlayer& player) : m_player(player) {}
    // 0 when the sources were listed, 102 without iTunes, 103 when the source list failed.
    int Read() override;

private:
    CWin32ITunesPlayer& m_player;
};

}  // namespace vantor
