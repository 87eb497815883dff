#include "tests/support/MusicFolder.h"

#include "tests/support/Id3Tag.h"
#include "tests/support/QrmProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace vantor::test {

namespace fs = std::filesystem;

namespace {

pid_t Spawn(const std::vector<std::string>& argv, const std::string& outFile) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = outFile.empty() ? "/dev/null" : outFile;
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool WaitOk(pid_t pid) {
    if (pid <= 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

constexpr int kTrackSeconds = 30;

const std::vector<GeneratedTrack>& TrackTable() {
    static const std::vector<GeneratedTrack> tracks = {
        {"rock/first-light/01 Opening.mp3", "Opening", "The Rollers", "First Light", "Rock", "1",
         kTrackSeconds, false},
        {"rock/first-light/02 Second Wind.mp3", "Second Wind", "The Rollers", "First Light", "Rock",
         "2/12", kTrackSeconds, false},
        {"rock/night-drive/01 Headlights.mp3", "Headlights", "The Rollers", "Night Drive", "Rock",
         "1", kTrackSeconds, false},
        {"rock/stone-age/05 Granite.mp3", "Granite", "Basalt", "Stone Age", "Rock", "5",
         kTrackSeconds, false},
        {"jazz/blue-rooms/01 Cellar Door.mp3", "Cellar Door", "Mira Quartet", "Blue Rooms", "Jazz",
         "1", kTrackSeconds, false},
        {"jazz/blue-rooms/02 Late Set.mp3", "Late Set", "Mira Quartet", "Blue Rooms", "Jazz", "2",
         kTrackSeconds, true},
        {"electronic/Über Wellen/03 Straße.mp3", "Straße", "Kōji Ōta", "Über Wellen", "Electronic",
         "3", kTrackSeconds, false},
        {"misc/field recording.mp3", "", "", "", "", "", kTrackSeconds, false},  // no tags at all
    };
    return tracks;
}

}  // namespace

CTempFolder::CTempFolder(const std::string& prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    if (mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_path = templ;
}

CTempFolder::~CTempFolder() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

bool GenerateLibrary(const std::string& root, int count, const std::string& audio) {
    static const char* genres[] = {"Rock",  "Jazz",    "Electronic", "Folk", "Classical",
                                   "Blues", "Ambient", "Pop",        "Soul", "Reggae"};
    for (int i = 0; i < count; ++i) {
        GeneratedTrack t;
        const int album = i / 12;
        const int artist = album / 4;
        t.artist = "Artist " + std::to_string(artist);
        t.album = "Album " + std::to_string(album);
        t.genre = genres[artist % 10];
        t.title = "Track " + std::to_string(i);
        t.trackTag = std::to_string(i % 12 + 1);
        t.uri = t.artist + "/" + t.album + "/" + std::to_string(i % 12 + 1) + ".mp3";
        if (!WriteTaggedFile(root + "/" + t.uri, MakeId3Tag(t), audio)) return false;
    }
    return true;
}

bool RunCommand(const std::vector<std::string>& argv, const std::string& stdoutFile) {
    return WaitOk(Spawn(argv, stdoutFile));
}

std::vector<std::string> ToneCommand(int frequency, int seconds, const std::string& path) {
    return {"ffmpeg",
            "-v",
            "error",
            "-y",
            "-f",
            "lavfi",
            "-i",
            "sine=frequency=" + std::to_string(frequency) + ":duration=" + std::to_string(seconds),
            "-ac",
            "1",
            "-ar",
            "22050",
            "-c:a",
            "libmp3lame",
            "-b:a",
            "32k",
            "-id3v2_version",
            "0",
            "-write_id3v1",
            "0",
            path};
}

// ---------------------------------------------------------------- music folder

const CMusicFolder& CMusicFolder::Shared() {
    static const CMusicFolder folder;
    return folder;
}

CMusicFolder::CMusicFolder() : m_temp("vantor-music") {
    m_root = m_temp.Path() + "/music";
    m_playlists = m_temp.Path() + "/playlists";
    m_ok = Generate();
}

const GeneratedTrack& CMusicFolder::Find(const std::string& titleOrUri) const {
    for (const auto& t : m_tracks) {
        if (t.title == titleOrUri || t.uri == titleOrUri) return t;
    }
    throw std::out_of_range("no generated track " + titleOrUri);
}

bool CMusicFolder::Generate() {
    m_tracks = TrackTable();
    fs::create_directories(m_playlists);
    const std::string scratch = m_temp.Path() + "/scratch";
    fs::create_directories(scratch);
    const std::string plain = scratch + "/tone.mp3";
    const std::string coverPng = scratch + "/cover.png";
    m_folderCoverAlbum = "Night Drive";
    const std::string coverJpg = m_root + "/rock/night-drive/cover.jpg";
    fs::create_directories(fs::path(coverJpg).parent_path());

    // Three encoder runs side by side; every track is the same tone behind its own tag.
    const pid_t jobs[] = {
        Spawn(ToneCommand(330, kTrackSeconds, plain), ""),
        Spawn({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "color=c=red:s=8x8", "-frames:v",
               "1", coverPng},
              ""),
        Spawn({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "color=c=blue:s=8x8",
               "-frames:v", "1", coverJpg},
              ""),
    };
    bool ok = true;
    for (pid_t pid : jobs) ok = WaitOk(pid) && ok;
    if (!ok) return false;
    m_audio = ReadFileText(plain);
    m_embeddedCover = ReadFileText(coverPng);
    m_folderCover = ReadFileText(coverJpg);
    for (const auto& t : m_tracks) {
        const std::string tag = MakeId3Tag(t, t.embeddedCover ? m_embeddedCover : "");
        if (!WriteTaggedFile(m_root + "/" + t.uri, tag, m_audio)) return false;
    }

    m_playlistList = {
        {"Road Trip",
         {"rock/first-light/01 Opening.mp3", "electronic/Über Wellen/03 Straße.mp3",
          "jazz/blue-rooms/02 Late Set.mp3"}},
        {"Quiet Evening", {"jazz/blue-rooms/01 Cellar Door.mp3", "misc/field recording.mp3"}},
    };
    for (const auto& p : m_playlistList) {
        std::ofstream out(m_playlists + "/" + p.name + ".m3u");
        for (const auto& uri : p.uris) out << uri << "\n";
    }
    return !m_embeddedCover.empty() && !m_folderCover.empty();
}

}  // namespace vantor::test
