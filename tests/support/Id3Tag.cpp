#include "tests/support/Id3Tag.h"

#include "tests/support/MusicFolder.h"

#include <filesystem>
#include <fstream>

namespace vantor::test {

namespace {

// ID3v2.4 sizes are "syncsafe": seven bits per byte.
void AppendSyncsafe(std::string& out, size_t size) {
    for (int shift = 21; shift >= 0; shift -= 7) {
        out.push_back(static_cast<char>((size >> shift) & 0x7f));
    }
}

void AppendFrame(std::string& out, const char* id, const std::string& body) {
    out.append(id, 4);
    AppendSyncsafe(out, body.size());
    out.append(2, '\0');  // no frame flags
    out += body;
}

void AppendText(std::string& out, const char* id, const std::string& text) {
    if (text.empty()) return;
    AppendFrame(out, id, std::string(1, '\x03') + text);  // 3: UTF-8
}

}  // namespace

std::string MakeId3Tag(const GeneratedTrack& track, const std::string& png) {
    std::string frames;
    AppendText(frames, "TIT2", track.title);
    AppendText(frames, "TPE1", track.artist);
    AppendText(frames, "TALB", track.album);
    AppendText(frames, "TCON", track.genre);
    AppendText(frames, "TRCK", track.trackTag);
    if (!png.empty()) {
        std::string apic(1, '\0');  // text encoding of the description
        apic += "image/png";
        apic.push_back('\0');
        apic.push_back('\x03');  // picture type: front cover
        apic.push_back('\0');    // empty description
        apic += png;
        AppendFrame(frames, "APIC", apic);
    }
    std::string tag = "ID3";
    tag.push_back('\x04');
    tag.push_back('\0');
    tag.push_back('\0');
    AppendSyncsafe(tag, frames.size());
    return tag + frames;
}

bool WriteTaggedFile(const std::string& path, const std::string& tag, const std::string& audio) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::ofstream out(path, std::ios::binary);
    out.write(tag.data(), static_cast<std::streamsize>(tag.size()));
    out.write(audio.data(), static_cast<std::streamsize>(audio.size()));
    return static_cast<bool>(out);
}

}  // namespace vantor::test
