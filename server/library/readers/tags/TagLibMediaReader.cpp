#include "server/library/readers/tags/TagLibMediaReader.h"

#include "server/core/Logger.h"
#include "server/library/ReaderRoutines.h"

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <strings.h>

#include <algorithm>
#include <array>
#include <filesystem>

namespace vantor {

namespace fs = std::filesystem;

namespace {

std::string Utf8(const TagLib::String& text) {
    return text.to8Bit(true);
}

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

CTagLibMediaReader::CTagLibMediaReader(CLogger& logger, std::string folder)
    : m_logger(logger), m_folder(std::move(folder)) {}

bool CTagLibMediaReader::IsAudioFile(const std::string& path) {
    static constexpr std::array<const char*, 18> kExtensions = {
        "mp3", "mp2", "flac", "ogg", "oga", "opus", "spx", "m4a", "m4b",
        "wma", "wav", "aif", "aiff", "ape", "mpc", "wv",  "tta", "dsf"};
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
    const char* ext = path.c_str() + dot + 1;
    return std::any_of(kExtensions.begin(), kExtensions.end(),
                       [ext](const char* e) { return ::strcasecmp(ext, e) == 0; });
}

std::vector<std::string> CTagLibMediaReader::FindAudioFiles(const std::string& folder,
                                                            size_t limit) {
    std::vector<std::string> files;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied,
                                        ec);
    for (; !ec && it != fs::recursive_directory_iterator() && files.size() < limit;
         it.increment(ec)) {
        const std::string path = it->path().string();
        std::error_code typeError;
        if (IsAudioFile(path) && it->is_regular_file(typeError)) files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::unique_ptr<CMusicItem> CTagLibMediaReader::ReadTrack(const std::string& path) {
    TagLib::FileRef file(path.c_str(), true, TagLib::AudioProperties::Fast);
    if (file.isNull()) return nullptr;
    // TagLib takes almost anything with the right extension; a file in which it found no
    // audio stream at all is not a track.
    const TagLib::AudioProperties* audio = file.audioProperties();
    if (!audio || (audio->bitrate() <= 0 && audio->lengthInMilliseconds() <= 0)) return nullptr;
    auto item = std::make_unique<CMusicItem>();
    item->path = path;
    if (const TagLib::Tag* tag = file.tag()) {
        item->name = Utf8(tag->title());
        item->artist = Utf8(tag->artist());
        item->album = Utf8(tag->album());
        item->genre = ResolveGenre(Utf8(tag->genre()));
        if (tag->track() > 0) item->trackNumber = NormalizeTrackNumber(std::to_string(tag->track()));
    }
    if (item->name.empty()) item->name = FileName(path);
    item->length = audio->lengthInSeconds() > 0 ? audio->lengthInSeconds() : -1;
    return item;
}

int CTagLibMediaReader::Read() {
    ClearStop();
    IMediaReaderOwner* owner = Owner();
    if (owner == nullptr) return -1;
    std::error_code ec;
    if (!fs::is_directory(m_folder, ec)) {
        m_logger.LogCritical("ERROR: Music folder \"%s\" is not a folder; the library stays empty",
                             m_folder.c_str());
        return -1;
    }
    const std::vector<std::string> files = FindAudioFiles(m_folder);
    if (files.size() >= kMaxFiles) {
        m_logger.LogCritical("ERROR: Music folder \"%s\" holds more than %zu audio files; "
                             "only the first are read",
                             m_folder.c_str(), kMaxFiles);
    }
    size_t unreadable = 0;
    for (const std::string& path : files) {
        if (IsStopping()) break;
        std::unique_ptr<CMusicItem> track = ReadTrack(path);
        if (!track) {
            ++unreadable;
            continue;
        }
        if (track->genre.empty()) track->genre = kUnknownGenre;
        if (track->artist.empty()) track->artist = kUnknownArtist;
        if (track->album.empty()) track->album = kUnknownAlbum;
        owner->AddItem(*track);
    }
    m_logger.LogDetailed("Music folder \"%s\": %zu audio files, %zu unreadable", m_folder.c_str(),
                         files.size(), unreadable);
    return 0;
}

}  // namespace vantor
