#pragma once

// In-memory records of things that can be played or browsed. Library readers produce them,
// the media data store keeps them, adapters report the current item as one. Messages never
// carry an item as a block: their writers copy the fields they need.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "protocol/MessageType.h"

namespace vantor {

class CMediaItem {
public:
    CMediaItem() = default;
    // A base record standing for another kind of entry (a folder, a genre in a list).
    explicit CMediaItem(int32_t type) : mediaType(type) {}
    CMediaItem(const CMediaItem&) = default;
    CMediaItem& operator=(const CMediaItem&) = default;
    virtual ~CMediaItem() = default;

    // Back to the defaults; the media type stays.
    virtual void Clear();
    // A copy of the same class, children included.
    virtual std::unique_ptr<CMediaItem> Clone() const;
    // id, mediaType, path, name, length and rating; a music item also compares its four
    // texts. Use operator==, which checks both ways.
    virtual bool Equals(const CMediaItem& other) const;

    int32_t id = -1;  // library-wide id; -1 when the item is not from the library
    int32_t mediaType = kMediaUndefined;
    std::string path;     // file path or stream address
    std::string name;     // title of a track, video or show; name of a playlist, station, folder
    int32_t length = -1;  // seconds; -1 when not known
    int32_t rating = -1;  // -1 when not known
};

inline bool operator==(const CMediaItem& a, const CMediaItem& b) {
    return a.Equals(b) && b.Equals(a);
}

using MediaItemList = std::vector<std::unique_ptr<CMediaItem>>;

class CMusicItem : public CMediaItem {
public:
    CMusicItem() : CMediaItem(kMediaMusic) {}
    CMusicItem(const CMusicItem&) = default;
    CMusicItem& operator=(const CMusicItem&) = default;

    void Clear() override;
    std::unique_ptr<CMediaItem> Clone() const override;
    bool Equals(const CMediaItem& other) const override;

    std::string genre;
    std::string artist;
    std::string album;
    std::string trackNumber;  // text, "07" style when a reader fills it
};

class CVideoItem : public CMediaItem {
public:
    CVideoItem() : CMediaItem(kMediaVideo) {}
    CVideoItem(const CVideoItem&) = default;
    CVideoItem& operator=(const CVideoItem&) = default;

    void Clear() override;
    std::unique_ptr<CMediaItem> Clone() const override;

    std::string genre;
};

class CTVItem : public CMediaItem {
public:
    CTVItem() : CMediaItem(kMediaTV) {}
    CTVItem(const CTVItem&) = default;
    CTVItem& operator=(const CTVItem&) = default;

    void Clear() override;
    std::unique_ptr<CMediaItem> Clone() const override;

    std::string genre;
    std::string series;
    std::string description;
    std::string recordTime;
    std::string channel;
    std::string channelName;
    std::string parentalRating;
};

// A playlist or a playlist folder: a folder exactly when it has children, so an empty
// folder cannot be told from a leaf.
class CPlaylistItem : public CMediaItem {
public:
    CPlaylistItem() : CMediaItem(kMediaPlaylist) {}
    CPlaylistItem(const CPlaylistItem& other);
    CPlaylistItem& operator=(const CPlaylistItem& other);

    void Clear() override;
    std::unique_ptr<CMediaItem> Clone() const override;
    bool IsFolder() const { return !children.empty(); }

    int32_t parentId = -1;  // -1 for a top-level entry
    std::vector<std::unique_ptr<CPlaylistItem>> children;
};

// A radio station or a station folder, with the same folder rule as playlists.
class CRadioStationItem : public CMediaItem {
public:
    CRadioStationItem() : CMediaItem(kMediaRadio) {}
    CRadioStationItem(const CRadioStationItem& other);
    CRadioStationItem& operator=(const CRadioStationItem& other);

    void Clear() override;
    std::unique_ptr<CMediaItem> Clone() const override;
    bool IsFolder() const { return !children.empty(); }

    int32_t parentId = -1;
    std::vector<std::unique_ptr<CRadioStationItem>> children;
};

}  // namespace vantor
