#include "protocol/PlayerMessages.h"

#include <cstdio>

#include "protocol/BodyFields.h"
#include "protocol/Xml.h"

namespace vantor {

void WriteFields(std::string& out, const CPositionBody& body) {
    WriteIntElement(out, "position", body.position);
}

void ReadFields(const std::string& doc, CPositionBody& body) {
    body.position = GetElementInt(doc, "position");
}

void WriteFields(std::string& out, const CPlaylistMoveBody& body) {
    WriteIntElement(out, "position", body.position);
    WriteIntElement(out, "newPosition", body.newPosition);
}

void ReadFields(const std::string& doc, CPlaylistMoveBody& body) {
    body.position = GetElementInt(doc, "position");
    body.newPosition = GetElementInt(doc, "newPosition");
}

void WriteFields(std::string& out, const CVolumeBody& body) {
    WriteIntElement(out, "volume", body.volume);
}

void ReadFields(const std::string& doc, CVolumeBody& body) {
    body.volume = GetElementInt(doc, "volume");
}

void WriteFields(std::string& out, const CPlayingStateBody& body) {
    WritePlayingStateElement(out, "playingState", body.playingState);
}

void ReadFields(const std::string& doc, CPlayingStateBody& body) {
    ReadPlayingStateElement(doc, "playingState", body.playingState);
}

void WriteFields(std::string& out, const CPlaylistLengthBody& body) {
    WriteIntElement(out, "length", body.length);
}

void ReadFields(const std::string& doc, CPlaylistLengthBody& body) {
    body.length = GetElementInt(doc, "length");
}

void WriteFields(std::string& out, const CPlaylistItemsBody& body) {
    WriteIntIfSet(out, "start", body.start);
    WriteIntIfSet(out, "totalCount", body.totalCount);
    WriteStringList(out, "item", body.items);
}

void ReadFields(const std::string& doc, CPlaylistItemsBody& body) {
    body.totalCount = GetElementInt(doc, "totalCount");
    body.items = ReadStringList(doc, "item");
}

void WriteFields(std::string& out, const CShuffleStateBody& body) {
    WriteBoolElement(out, "shuffleState", body.shuffleState);
}

void ReadFields(const std::string& doc, CShuffleStateBody& body) {
    body.shuffleState = GetElementBool(doc, "shuffleState");
}

void WriteFields(std::string& out, const CRepeatStateBody& body) {
    WriteBoolElement(out, "repeatState", body.repeatState);
}

void ReadFields(const std::string& doc, CRepeatStateBody& body) {
    body.repeatState = GetElementBool(doc, "repeatState");
}

void WriteFields(std::string& out, const CAlbumArtBody& body) {
    WriteElement(out, "artURL", body.artURL);
}

void ReadFields(const std::string& doc, CAlbumArtBody& body) {
    body.artURL = GetElementText(doc, "artURL");
}

void WriteFields(std::string& out, const CCurrentMedia& body) {
    WriteMediaTypeElement(out, "type", body.type);
    WriteTextIfSet(out, "artist", body.artist);
    WriteTextIfSet(out, "album", body.album);
    WriteIntIfSet(out, "channel", body.channel);
    WriteTextIfSet(out, "title", body.title);
    WriteIntIfSet(out, "length", body.length);
    WriteIntIfSet(out, "rating", body.rating);
}

void ReadFields(const std::string& doc, CCurrentMedia& body) {
    ReadMediaTypeElement(doc, "type", body.type);
    body.artist = GetElementText(doc, "artist");
    body.album = GetElementText(doc, "album");
    body.channel = GetElementInt(doc, "channel");
    body.title = GetElementText(doc, "title");
    body.length = GetElementInt(doc, "length");
    body.rating = GetElementInt(doc, "rating");
}

void WriteFields(std::string& out, const CRatingBody& body) {
    WriteIntElement(out, "rating", body.rating);
}

void ReadFields(const std::string& doc, CRatingBody& body) {
    body.rating = GetElementInt(doc, "rating");
}

void WriteFields(std::string& out, const CPresetListBody& body) {
    WriteStringList(out, "preset", body.presets);
}

void ReadFields(const std::string& doc, CPresetListBody& body) {
    body.presets = ReadStringList(doc, "preset");
}

void WriteFields(std::string& out, const CPresetBody& body) {
    WriteElement(out, "preset", body.preset);
}

void ReadFields(const std::string& doc, CPresetBody& body) {
    body.preset = GetElementText(doc, "preset");
}

void WriteFields(std::string& out, const CPlaylistNameBody& body) {
    WriteElement(out, "name", body.name);
}

void ReadFields(const std::string& doc, CPlaylistNameBody& body) {
    body.name = GetElementText(doc, "name");
}

namespace {

std::string BandName(size_t index) {
    char name[16];
    std::snprintf(name, sizeof name, "band%d", static_cast<int>(index + 1));
    return name;
}

}  // namespace

void WriteFields(std::string& out, const CEqSettings& body) {
    WriteBoolElement(out, "enabled", body.enabled);
    WriteBoolElement(out, "autoLoad", body.autoLoad);
    WriteIntElement(out, "preamp", body.preamp);
    for (size_t i = 0; i < body.bands.size(); ++i) {
        WriteIntElement(out, BandName(i), body.bands[i]);
    }
}

void ReadFields(const std::string& doc, CEqSettings& body) {
    body.enabled = GetElementBool(doc, "enabled");
    body.autoLoad = GetElementBool(doc, "autoLoad");
    body.preamp = GetElementInt(doc, "preamp");
    for (size_t i = 0; i < body.bands.size(); ++i) {
        body.bands[i] = GetElementInt(doc, BandName(i));
    }
}

void WriteFields(std::string& out, const CVideoModeBody& body) {
    WriteBoolElement(out, "fullScreenEnabled", body.fullScreenEnabled);
}

void ReadFields(const std::string& doc, CVideoModeBody& body) {
    body.fullScreenEnabled = GetElementBool(doc, "fullScreenEnabled");
}

void WriteFields(std::string& out, const CCapabilitiesBody& body) {
    WriteBoolElement(out, "supportsEQ", body.supportsEQ);
}

void ReadFields(const std::string& doc, CCapabilitiesBody& body) {
    body.supportsEQ = GetElementBool(doc, "supportsEQ");
}

void WriteFields(std::string& out, const CPlaylistAddBody& body) {
    WriteFields(out, body.selector);
    WriteIntIfSet(out, "position", body.position);
}

void ReadFields(const std::string& doc, CPlaylistAddBody& body) {
    ReadFields(doc, body.selector);
    body.position = GetElementInt(doc, "position");
}

}  // namespace vantor
