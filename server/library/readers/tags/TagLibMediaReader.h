#pragma once

#include "protocol/MediaItem.h"
#include "server/library/MediaReader.h"

#include <memory>
#include <string>
#include <vector>

namespace vantor {

class CLogger;

// Reads a music folder into the media library from the files' own tags: every audio file
// below the folder (subfolders included, folder links not followed) becomes an audio track
// with title, artist, album, genre, track number and length; empty genre, artist and album
// become "Unknown ...", a missing title the file name. Files are read in path order, so the
// same folder always gives the same library. Files TagLib cannot read are skipped.
class CTagLibMediaReader : public IMediaReader {
public:
    CTagLibMediaReader(CLogger& logger, std::string folder);

    // 0 when the folder was walked; -1 when it is missing or not a folder, or no owner is
    // set. A stop ends the walk after the current file.
    int Read() override;

    // The audio files below `folder`, sorted; at most `limit` of them.
    static std::vector<std::string> FindAudioFiles(const std::string& folder,
                                                   size_t limit = kMaxFiles);
    // By extension, without case.
    static bool IsAudioFile(const std::string& path);
    // One file as an audio track (without the "Unknown ..." names); null when TagLib
    // cannot read it or finds no audio in it.
    static std::unique_ptr<CMusicItem> ReadTrack(const std::string& path);

    // A bound for folders that are not music folders at all (a home folder by mistake).
    static constexpr size_t kMaxFiles = 500000;

private:
    CLogger& m_logger;
    const std::string m_folder;
};

}  // namespace vantor
