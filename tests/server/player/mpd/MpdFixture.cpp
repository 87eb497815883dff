#include "tests/server/player/mpd/MpdFixture.h"

#include "tests/server/player/mpd/Id3Tag.h"
#include "tests/support/QrmProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

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

int Connect(const std::string& host, int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, host.c_str(), &addr.sin_addr);
    timeval tv{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool EndsWithFinalLine(const std::string& reply) {
    if (reply.empty() || reply.back() != '\n') return false;
    const size_t prev = reply.size() >= 2 ? reply.rfind('\n', reply.size() - 2) : std::string::npos;
    const size_t start = prev == std::string::npos ? 0 : prev + 1;
    return reply.compare(start, 2, "OK") == 0 || reply.compare(start, 3, "ACK") == 0;
}

// Reads until the last complete line is "OK...", or "ACK ..." for an error.
bool ReadReply(int fd, std::string& reply) {
    char buf[4096];
    while (!EndsWithFinalLine(reply)) {
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return false;
        reply.append(buf, static_cast<size_t>(n));
    }
    return true;
}

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

// ---------------------------------------------------------------- mpd instance

CMpdInstance::CMpdInstance(const std::string& musicFolder, const std::string& playlistFolder)
    : m_work("vantor-mpd"), m_music(musicFolder), m_playlists(playlistFolder) {}

CMpdInstance::~CMpdInstance() {
    Stop();
}

CMpdInstance* CMpdInstance::Shared() {
    const CMusicFolder& music = CMusicFolder::Shared();
    if (!music.Ok()) return nullptr;
    static CMpdInstance instance(music.Root(), music.PlaylistFolder());
    if (!instance.IsRunning() && !instance.Start(music.Tracks().size())) return nullptr;
    return &instance;
}

bool CMpdInstance::WriteConfig() {
    std::ofstream conf(m_work.Path() + "/mpd.conf");
    const std::string& w = m_work.Path();
    conf << "music_directory \"" << m_music << "\"\n"
         << "playlist_directory \"" << m_playlists << "\"\n"
         << "db_file \"" << w << "/database\"\n"
         << "sticker_file \"" << w << "/sticker.sql\"\n"
         << "pid_file \"" << w << "/mpd.pid\"\n"
         << "log_file \"" << w << "/mpd.log\"\n"
         << "bind_to_address \"" << m_host << "\"\n"
         << "port \"" << m_port << "\"\n"
         << "auto_update \"no\"\n"
         << "zeroconf_enabled \"no\"\n"
         << "audio_output {\n  type \"null\"\n  name \"Null\"\n  mixer_type \"software\"\n}\n";
    return static_cast<bool>(conf);
}

bool CMpdInstance::Start(size_t expectedSongs) {
    if (m_pid > 0) return true;
    if (m_port <= 0) m_port = FindFreePort();
    if (m_port <= 0 || !WriteConfig()) return false;
    const std::string conf = m_work.Path() + "/mpd.conf";
    const std::string out = m_work.Path() + "/mpd.stderr";
    const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // The daemon must not outlive a test process that crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        if (outFd >= 0) {
            dup2(outFd, 1);
            dup2(outFd, 2);
        }
        execl("/usr/bin/mpd", "mpd", "--no-daemon", "--stderr", conf.c_str(), nullptr);
        _exit(127);
    }
    if (outFd >= 0) close(outFd);
    if (pid < 0) return false;
    m_pid = pid;
    if (!WaitUntilReady(expectedSongs)) {
        Stop();
        return false;
    }
    return true;
}

bool CMpdInstance::WaitUntilReady(size_t expectedSongs) {
    // A large music folder takes MPD a while to scan at its first start.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15) +
                          std::chrono::milliseconds(10 * expectedSongs);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;  // it quit at start (bad configuration, port taken)
            return false;
        }
        const std::string stats = Command("stats");
        const size_t at = stats.find("songs: ");
        if (at != std::string::npos &&
            std::strtoul(stats.c_str() + at + 7, nullptr, 10) >= expectedSongs &&
            Status("updating_db").empty()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void CMpdInstance::Stop() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

std::string CMpdInstance::Log() const {
    return ReadFileText(m_work.Path() + "/mpd.log") + ReadFileText(m_work.Path() + "/mpd.stderr");
}

std::string CMpdInstance::Command(const std::string& line) const {
    const int fd = Connect(m_host, m_port);
    if (fd < 0) return "";
    std::string greeting;
    std::string reply;
    if (ReadReply(fd, greeting)) {
        const std::string text = line + "\n";
        if (send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size())) {
            ReadReply(fd, reply);
        }
    }
    close(fd);
    return reply;
}

std::string CMpdInstance::Status(const std::string& key) const {
    const std::string status = Command("status");
    const std::string needle = key + ": ";
    size_t at = 0;
    while ((at = status.find(needle, at)) != std::string::npos) {
        if (at == 0 || status[at - 1] == '\n') {
            const size_t end = status.find('\n', at);
            return status.substr(at + needle.size(), end - at - needle.size());
        }
        at += needle.size();
    }
    return "";
}

bool CMpdInstance::Mpc(const std::vector<std::string>& args, std::string* output) const {
    std::vector<std::string> argv = {"mpc", "-h", m_host, "-p", std::to_string(m_port)};
    argv.insert(argv.end(), args.begin(), args.end());
    const std::string out = m_work.Path() + "/mpc.out";
    const bool ok = RunCommand(argv, out);
    if (output) *output = ReadFileText(out);
    return ok;
}

}  // namespace vantor::test
