#include "server/library/readers/tags/EmbeddedPicture.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <strings.h>

namespace vantor {

namespace {

std::string Bytes(const TagLib::ByteVector& data, size_t maxBytes) {
    if (data.isEmpty() || data.size() > maxBytes) return "";
    return std::string(data.data(), data.size());
}

std::string FromId3v2(TagLib::ID3v2::Tag* tag, size_t maxBytes) {
    if (!tag) return "";
    const TagLib::ID3v2::AttachedPictureFrame* chosen = nullptr;
    for (const TagLib::ID3v2::Frame* frame : tag->frameListMap()["APIC"]) {
        const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
        if (!picture) continue;
        if (picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover) {
            chosen = picture;
            break;
        }
        if (!chosen) chosen = picture;
    }
    return chosen ? Bytes(chosen->picture(), maxBytes) : "";
}

std::string FromFlacPictures(const TagLib::List<TagLib::FLAC::Picture*>& pictures,
                             size_t maxBytes) {
    const TagLib::FLAC::Picture* chosen = nullptr;
    for (const TagLib::FLAC::Picture* picture : pictures) {
        if (!chosen || (picture->type() == TagLib::FLAC::Picture::FrontCover &&
                        chosen->type() != TagLib::FLAC::Picture::FrontCover)) {
            chosen = picture;
        }
    }
    return chosen ? Bytes(chosen->data(), maxBytes) : "";
}

std::string FromXiph(TagLib::Ogg::XiphComment* comment, size_t maxBytes) {
    return comment ? FromFlacPictures(comment->pictureList(), maxBytes) : "";
}

bool HasExtension(const std::string& path, const char* ext) {
    const size_t dot = path.rfind('.');
    return dot != std::string::npos && ::strcasecmp(path.c_str() + dot + 1, ext) == 0;
}

}  // namespace

std::string ReadEmbeddedPicture(const std::string& path, size_t maxBytes) {
    const char* name = path.c_str();
    if (HasExtension(path, "mp3") || HasExtension(path, "mp2")) {
        TagLib::MPEG::File file(name, false);
        return file.isValid() ? FromId3v2(file.ID3v2Tag(), maxBytes) : "";
    }
    if (HasExtension(path, "flac")) {
        TagLib::FLAC::File file(name, false);
        if (!file.isValid()) return "";
        std::string picture = FromFlacPictures(file.pictureList(), maxBytes);
        if (picture.empty()) picture = FromXiph(file.xiphComment(), maxBytes);
        if (picture.empty()) picture = FromId3v2(file.ID3v2Tag(), maxBytes);
        return picture;
    }
    if (HasExtension(path, "m4a") || HasExtension(path, "m4b") || HasExtension(path, "mp4")) {
        TagLib::MP4::File file(name, false);
        if (!file.isValid() || !file.tag()) return "";
        const TagLib::MP4::CoverArtList covers = file.tag()->item("covr").toCoverArtList();
        return covers.isEmpty() ? "" : Bytes(covers.front().data(), maxBytes);
    }
    if (HasExtension(path, "opus")) {
        TagLib::Ogg::Opus::File file(name, false);
        return file.isValid() ? FromXiph(file.tag(), maxBytes) : "";
    }
    if (HasExtension(path, "ogg") || HasExtension(path, "oga")) {
        TagLib::Ogg::Vorbis::File file(name, false);
        return file.isValid() ? FromXiph(file.tag(), maxBytes) : "";
    }
    return "";
}

}  // namespace vantor
