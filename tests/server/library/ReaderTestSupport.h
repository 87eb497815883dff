#pragma once

#include "protocol/MediaItem.h"
#include "server/library/MediaReader.h"

#include <atomic>
#include <string>
#include <vector>

namespace vantor::test {

// Keeps copies of what a reader hands over, and counts update requests.
class CollectingOwner : public IMediaReaderOwner {
public:
    void AddItem(const CMediaItem& item) override { items.push_back(item.Clone()); }
    void StartUpdate() override { ++updates; }

    template <typename T>
    const T* Find(const std::string& name) const {
        for (const auto& item : items) {
            if (item->name == name) return dynamic_cast<const T*>(item.get());
        }
        return nullptr;
    }
    std::vector<std::string> NamesOfType(int32_t type) const {
        std::vector<std::string> names;
        for (const auto& item : items) {
            if (item->mediaType == type) names.push_back(item->name);
        }
        return names;
    }

    MediaItemList items;
    std::atomic<int> updates{0};
};

}  // namespace vantor::test
