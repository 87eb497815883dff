#pragma once

#include "server/library/MediaReader.h"

#include <string>

namespace vantor {

class CLogger;

// Reads Windows Media Player's media collection through the player's automation objects:
// audio tracks, videos, recorded TV (a video whose class ids say so) and playlists; other
// kinds are skipped. The player is started from `program` when it is not running. No change
// detection of its own: the player service's library timer asks for updates.
class CWMPMediaReader : public IMediaReader {
public:
    // `directory` overrides the windows folder (tests); empty is the default.
    CWMPMediaReader(CLogger& logger, std::string program, std::string directory = {});
    // 0 when the collection was read; the failing call's result otherwise.
    int Read() override;

    // The TV test: both class ids, without braces and in any case, name recorded TV.
    static bool IsRecordedTv(const std::string& primaryClass, const std::string& secondaryClass);

private:
    CLogger& m_logger;
    std::string m_program;
    std::string m_directory;
};

}  // namespace vantor
