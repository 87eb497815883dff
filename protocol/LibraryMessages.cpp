#include "protocol/LibraryMessages.h"

#include "protocol/BodyFields.h"
#include "protocol/Xml.h"

namespace vantor {
namespace {

// Entries of a result list are cut out one by one, and their fields read from the cut
// text, because a field is otherwise found anywhere in the document.
template <class Entry, class ReadEntry>
std::vector<Entry> ReadResultList(const std::string& doc, ReadEntry readEntry) {
    std::vector<Entry> entries;
    CElementFinder finder(doc, "result");
    size_t cursor = 0;
    for (;;) {
        std::string text = finder.TextAt(cursor);
        if (text.empty()) break;
        Entry entry;
        readEntry(text, entry);
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

void WriteFields(std::string& out, const CMediaItemQuery& body) {
    WriteIntIfSet(out, "id", body.id);
    WriteTextIfSet(out, "path", body.path);
}

void ReadFields(const std::string& doc, CMediaItemQuery& body) {
    body.id = GetElementInt(doc, "id");
    body.path = GetElementText(doc, "path");
}

void WriteFields(std::string& out, const CMediaItemBody& body) {
    WriteIntElement(out, "id", body.id);
    WriteMediaTypeElement(out, "type", body.type);
    WriteTextIfSet(out, "artist", body.artist);
    WriteTextIfSet(out, "album", body.album);
    WriteTextIfSet(out, "title", body.title);
    WriteElement(out, "path", body.path);
    WriteTextIfSet(out, "trackNumber", body.trackNumber);
}

void ReadFields(const std::string& doc, CMediaItemBody& body) {
    body.id = GetElementInt(doc, "id");
    ReadMediaTypeElement(doc, "type", body.type);
    body.artist = GetElementText(doc, "artist");
    body.album = GetElementText(doc, "album");
    body.title = GetElementText(doc, "title");
    body.path = GetElementText(doc, "path");
    body.trackNumber = GetElementText(doc, "trackNumber");
}

void WriteFields(std::string& out, const CNameQuery& body) {
    WriteFields(out, body.paging);
    WriteTextIfSet(out, "name", body.name);
}

void ReadFields(const std::string& doc, CNameQuery& body) {
    ReadFields(doc, body.paging);
    body.name = GetElementText(doc, "name");
}

void WriteFields(std::string& out, const CArtistQuery& body) {
    WriteFields(out, body.paging);
    WriteIntIfSet(out, "genre", body.genre);
    WriteTextIfSet(out, "genreName", body.genreName);
    WriteTextIfSet(out, "name", body.name);
}

void ReadFields(const std::string& doc, CArtistQuery& body) {
    ReadFields(doc, body.paging);
    body.genre = GetElementInt(doc, "genre");
    body.genreName = GetElementText(doc, "genreName");
    body.name = GetElementText(doc, "name");
}

void WriteFields(std::string& out, const CAlbumQuery& body) {
    WriteFields(out, body.paging);
    WriteTextIfSet(out, "genre", body.genre);
    WriteTextIfSet(out, "artist", body.artist);
    WriteTextIfSet(out, "name", body.name);
    WriteBoolElement(out, "includeTracks", body.includeTracks);
}

void ReadFields(const std::string& doc, CAlbumQuery& body) {
    ReadFields(doc, body.paging);
    body.genre = GetElementText(doc, "genre");
    body.artist = GetElementText(doc, "artist");
    body.name = GetElementText(doc, "name");
    body.includeTracks = GetElementBool(doc, "includeTracks");
}

void WriteFields(std::string& out, const CTrackQuery& body) {
    WriteFields(out, body.paging);
    WriteTextIfSet(out, "genre", body.genre);
    WriteTextIfSet(out, "artist", body.artist);
    WriteTextIfSet(out, "album", body.album);
    WriteTextIfSet(out, "title", body.title);
}

void ReadFields(const std::string& doc, CTrackQuery& body) {
    ReadFields(doc, body.paging);
    body.genre = GetElementText(doc, "genre");
    body.artist = GetElementText(doc, "artist");
    body.album = GetElementText(doc, "album");
    body.title = GetElementText(doc, "title");
}

void WriteFields(std::string& out, const CFolderQuery& body) {
    WriteFields(out, body.paging);
    WriteTextIfSet(out, "parentPath", body.parentPath);
}

void ReadFields(const std::string& doc, CFolderQuery& body) {
    ReadFields(doc, body.paging);
    body.parentPath = GetElementText(doc, "parentPath");
}

void WriteFields(std::string& out, const CTVQuery& body) {
    WriteFields(out, body.paging);
    WriteTextIfSet(out, "genre", body.genre);
    WriteTextIfSet(out, "series", body.series);
    WriteTextIfSet(out, "title", body.title);
}

void ReadFields(const std::string& doc, CTVQuery& body) {
    ReadFields(doc, body.paging);
    body.genre = GetElementText(doc, "genre");
    body.series = GetElementText(doc, "series");
    body.title = GetElementText(doc, "title");
}

void WriteFields(std::string& out, const CVideoQuery& body) {
    WriteFields(out, body.paging);
    WriteTextIfSet(out, "genre", body.genre);
    WriteTextIfSet(out, "title", body.title);
}

void ReadFields(const std::string& doc, CVideoQuery& body) {
    ReadFields(doc, body.paging);
    body.genre = GetElementText(doc, "genre");
    body.title = GetElementText(doc, "title");
}

void WriteFields(std::string& out, const CSearchQuery& body) {
    WriteFields(out, body.paging);
    if (body.type != kMediaUndefined) WriteMediaTypeElement(out, "type", body.type);
    WriteTextIfSet(out, "any", body.any);
    WriteTextIfSet(out, "genre", body.genre);
    WriteTextIfSet(out, "artist", body.artist);
    WriteTextIfSet(out, "album", body.album);
    WriteTextIfSet(out, "title", body.title);
    WriteTextIfSet(out, "path", body.path);
    if (body.isExplicit) WriteBoolElement(out, "isExplicit", true);
}

void ReadFields(const std::string& doc, CSearchQuery& body) {
    ReadFields(doc, body.paging);
    ReadMediaTypeElement(doc, "type", body.type);
    body.any = GetElementText(doc, "any");
    body.genre = GetElementText(doc, "genre");
    body.artist = GetElementText(doc, "artist");
    body.album = GetElementText(doc, "album");
    body.title = GetElementText(doc, "title");
    body.path = GetElementText(doc, "path");
    body.isExplicit = GetElementBool(doc, "isExplicit");
}

void WriteFields(std::string& out, const CLibraryQuery& body) {
    WriteFields(out, body.paging);
    WriteElement(out, "path", body.path);
    if (body.returnAllMediaItems) WriteBoolElement(out, "returnAllMediaItems", true);
}

void ReadFields(const std::string& doc, CLibraryQuery& body) {
    ReadFields(doc, body.paging);
    body.path = GetElementText(doc, "path");
    body.returnAllMediaItems = GetElementBool(doc, "returnAllMediaItems");
}

void WriteNameList(std::string& out, std::string_view element, const CPagingResponse& paging,
                   const std::vector<std::string>& names) {
    WriteFields(out, paging);
    WriteStringList(out, element, names);
}

void ReadNameList(const std::string& doc, std::string_view element, CPagingResponse& paging,
                  std::vector<std::string>& names) {
    ReadFields(doc, paging);
    names = ReadStringList(doc, element);
}

void WriteFields(std::string& out, const CSearchResults& body) {
    WriteFields(out, body.paging);
    for (const CSearchResult& entry : body.results) {
        out.append("\n<result>");
        WriteIntIfSet(out, "id", entry.id);
        WriteMediaTypeElement(out, "type", entry.type);
        WriteElement(out, "name", entry.name);
        out.append("\n</result>");
    }
}

void ReadFields(const std::string& doc, CSearchResults& body) {
    ReadFields(doc, body.paging);
    body.results =
        ReadResultList<CSearchResult>(doc, [](const std::string& text, CSearchResult& entry) {
            entry.id = GetElementInt(text, "id");
            ReadMediaTypeElement(text, "type", entry.type);
            entry.name = GetElementText(text, "name");
        });
}

void WriteFields(std::string& out, const CLibraryListing& body) {
    WriteFields(out, body.paging);
    WriteElement(out, "path", body.path);
    for (const CLibraryEntry& entry : body.results) {
        out.append("\n<result>");
        if (entry.id > 0) WriteIntElement(out, "id", entry.id);
        WriteMediaTypeElement(out, "type", entry.type);
        WriteElement(out, "name", entry.name);
        WriteTextIfSet(out, "path", entry.path);
        out.append("\n</result>");
    }
}

void ReadFields(const std::string& doc, CLibraryListing& body) {
    ReadFields(doc, body.paging);
    body.path = GetElementText(doc, "path");
    body.results =
        ReadResultList<CLibraryEntry>(doc, [](const std::string& text, CLibraryEntry& entry) {
            entry.id = GetElementInt(text, "id");
            ReadMediaTypeElement(text, "type", entry.type);
            entry.name = GetElementText(text, "name");
            entry.path = GetElementText(text, "path");
        });
}

}  // namespace vantor
