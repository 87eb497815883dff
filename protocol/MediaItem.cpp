#include "protocol/MediaItem.h"

namespace vantor {
namespace {

template <class Item>
std::vector<std::unique_ptr<Item>> CopyChildren(const std::vector<std::unique_ptr<Item>>& from) {
    std::vector<std::unique_ptr<Item>> copy;
    copy.reserve(from.size());
    for (const auto& child : from) copy.push_back(std::make_unique<Item>(*child));
    return copy;
}

}  // namespace

void CMediaItem::Clear() {
    id = -1;
    path.clear();
    name.clear();
    length = -1;
    rating = -1;
}

std::unique_ptr<CMediaItem> CMediaItem::Clone() const {
    return std::make_unique<CMediaItem>(*this);
}

bool CMediaItem::Equals(const CMediaItem& other) const {
    return id == other.id && mediaType == other.mediaType && path == other.path &&
           name == other.name && length == other.length && rating == other.rating;
}

void CMusicItem::Clear() {
    CMediaItem::Clear();
    genre.clear();
    artist.clear();
    album.clear();
    trackNumber.clear();
}

std::unique_ptr<CMediaItem> CMusicItem::Clone() const {
    return std::make_unique<CMusicItem>(*this);
}

bool CMusicItem::Equals(const CMediaItem& other) const {
    const auto* music = dynamic_cast<const CMusicItem*>(&other);
    return music != nullptr && CMediaItem::Equals(other) && genre == music->genre &&
           artist == music->artist && album == music->album && trackNumber == music->trackNumber;
}

void CVideoItem::Clear() {
    CMediaItem::Clear();
    genre.clear();
}

std::unique_ptr<CMediaItem> CVideoItem::Clone() const {
    return std::make_unique<CVideoItem>(*this);
}

void CTVItem::Clear() {
    CMediaItem::Clear();
    genre.clear();
    series.clear();
    description.clear();
    recordTime.clear();
    channel.clear();
    channelName.clear();
    parentalRating.clear();
}

std::unique_ptr<CMediaItem> CTVItem::Clone() const {
    return std::make_unique<CTVItem>(*this);
}

CPlaylistItem::CPlaylistItem(const CPlaylistItem& other)
    : CMediaItem(other), parentId(other.parentId), children(CopyChildren(other.children)) {}

CPlaylistItem& CPlaylistItem::operator=(const CPlaylistItem& other) {
    if (this != &other) {
        CMediaItem::operator=(other);
        parentId = other.parentId;
        children = CopyChildren(other.children);
    }
    return *this;
}

void CPlaylistItem::Clear() {
    CMediaItem::Clear();
    parentId = -1;
    children.clear();
}

std::unique_ptr<CMediaItem> CPlaylistItem::Clone() const {
    return std::make_unique<CPlaylistItem>(*this);
}

CRadioStationItem::CRadioStationItem(const CRadioStationItem& other)
    : CMediaItem(other), parentId(other.parentId), children(CopyChildren(other.children)) {}

CRadioStationItem& CRadioStationItem::operator=(const CRadioStationItem& other) {
    if (this != &other) {
        CMediaItem::operator=(other);
        parentId = other.parentId;
        children = CopyChildren(other.children);
    }
    return *this;
}

void CRadioStationItem::Clear() {
    CMediaItem::Clear();
    parentId = -1;
    children.clear();
}

std::unique_ptr<CMediaItem> CRadioStationItem::Clone() const {
    return std::make_unique<CRadioStationItem>(*this);
}

}  // namespace vantor
