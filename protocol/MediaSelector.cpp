#include "protocol/MediaSelector.h"

#include "protocol/BodyFields.h"
#include "protocol/Xml.h"

namespace vantor {

void WriteFields(std::string& out, const CMediaSelector& selector) {
    if (selector.id != -1) {
        WriteIntElement(out, "id", selector.id);
    } else if (!selector.path.empty()) {
        WriteElement(out, "path", selector.path);
    } else if (!selector.libPath.empty()) {
        WriteElement(out, "libPath", selector.libPath);
    } else {
        WriteMediaTypeElement(out, "mediaType", selector.mediaType);
        WriteTextIfSet(out, "any", selector.any);
        WriteTextIfSet(out, "genre", selector.genre);
        WriteTextIfSet(out, "artist", selector.artist);
        WriteTextIfSet(out, "album", selector.album);
        WriteTextIfSet(out, "title", selector.title);
    }
}

void ReadFields(const std::string& doc, CMediaSelector& selector) {
    selector.id = GetElementInt(doc, "id");
    selector.path = GetElementText(doc, "path");
    selector.libPath = GetElementText(doc, "libPath");
    ReadMediaTypeElement(doc, "type", selector.mediaType);
    ReadMediaTypeElement(doc, "mediaType", selector.mediaType);
    selector.any = GetElementText(doc, "any");
    selector.genre = GetElementText(doc, "genre");
    selector.artist = GetElementText(doc, "artist");
    selector.album = GetElementText(doc, "album");
    selector.title = GetElementText(doc, "title");
}

}  // namespace vantor
