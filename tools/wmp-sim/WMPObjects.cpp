#include "tools/wmp-sim/WMPObjects.h"

#include <algorithm>

namespace vantor::wmpsim {

namespace {

constexpr HRESULT kNotFound = HResult(0xC00D1054);  // no such item in the list

}  // namespace

CObjects::CObjects(CModel& model, CAutomationServer& server) : m_model(model), m_server(server) {
    BuildPlayer();
}

CObjects::~CObjects() = default;

void CObjects::FireEvent(uint32_t event, int32_t value, const std::string& text) {
    CVariantList arguments;
    if (!text.empty()) arguments.emplace_back(text);
    arguments.emplace_back(value);
    m_server.Fire(*m_player, event, arguments);
}

CVariant CObjects::Keep(const std::string& key,
                        const std::function<std::unique_ptr<CDispatchObject>()>& make) {
    auto it = m_objects.find(key);
    if (it == m_objects.end()) it = m_objects.emplace(key, make()).first;
    return m_server.RefOf(*it->second);
}

int32_t CObjects::EntryOf(const CVariant& value) const {
    CObjectRef ref;
    if (!FromVariant(value, ref)) return 0;
    auto it = m_mediaIds.find(m_server.Resolve(ref));
    return it == m_mediaIds.end() ? 0 : it->second;
}

CVariant CObjects::MediaRef(int32_t id) {
    const std::string key = "media:" + std::to_string(id);
    const CVariant ref = Keep(key, [this, id] {
        auto media = std::make_unique<CDispatchObject>();
        auto entry = [this, id]() -> CEntry& { return m_model.entries[id]; };
        media->Getter("name", [entry] { return CVariant(entry().Attribute("Title")); });
        media->Getter("sourceURL", [entry] { return CVariant(entry().Attribute("SourceURL")); });
        media->Getter("duration", [entry] {
            return CVariant(static_cast<double>(std::atoi(entry().Attribute("Duration").c_str())));
        });
        media->Method("getItemInfo", [entry](const CVariantList& args, CVariant& result) {
            std::string name;
            if (!Arg(args, 0, name)) return kE_INVALIDARG;
            result = entry().Attribute(name);
            return kS_OK;
        });
        media->Method("setItemInfo", [entry](const CVariantList& args, CVariant&) {
            std::string name;
            std::string value;
            if (!Arg(args, 0, name) || !Arg(args, 1, value)) return kE_INVALIDARG;
            if (name == "SourceURL" || name == "MediaType") return kE_ACCESSDENIED;
            entry().attributes[name] = value;
            return kS_OK;
        });
        return media;
    });
    m_mediaIds[m_objects[key].get()] = id;
    return ref;
}

CVariant CObjects::ListRef(const std::string& key, std::function<std::vector<int32_t>()> ids,
                           std::function<std::string()> name) {
    return Keep(key, [&] {
        auto list = std::make_unique<CDispatchObject>();
        list->Getter("count", [ids] { return CVariant(static_cast<int32_t>(ids().size())); });
        list->Getter("name", [name] { return CVariant(name()); });
        list->Indexed("item", [this, ids](const CVariantList& args, CVariant& result) {
            int32_t index = 0;
            const std::vector<int32_t> all = ids();
            if (!Arg(args, 0, index) || index < 0 || index >= static_cast<int32_t>(all.size())) {
                return kE_INVALIDARG;
            }
            result = MediaRef(all[static_cast<size_t>(index)]);
            return kS_OK;
        });
        return list;
    });
}

void CObjects::BuildPlayer() {
    m_player = std::make_unique<CDispatchObject>();
    CDispatchObject& player = *m_player;
    CModel& model = m_model;
    player.Getter("versionInfo", [] { return CVariant(std::string("10.0.0.3802")); });
    player.Getter("remoteHost", [&model] { return CVariant(model.remoteHost); });
    player.Setter("remoteHost", [&model](const CVariant& value) {
        return FromVariant(value, model.remoteHost) ? kS_OK : kDISP_E_TYPEMISMATCH;
    });
    player.Getter("playState",
                  [&model] { return CVariant(static_cast<int32_t>(model.GetState())); });

    auto current = [this] {
        return ListRef(
            "current", [this] { return m_model.Current(); },
            [this] { return m_model.CurrentName(); });
    };
    player.Getter("currentPlaylist", current);
    player.Setter("currentPlaylist", [this](const CVariant& value) {
        CObjectRef ref;
        if (!FromVariant(value, ref)) return kDISP_E_TYPEMISMATCH;
        auto it = m_listNames.find(m_server.Resolve(ref));
        if (it == m_listNames.end()) return kE_INVALIDARG;
        m_model.SetCurrent(it->second, m_model.playlists[it->second]);
        m_model.Play();
        return kS_OK;
    });
    player.Getter("currentMedia", [this] {
        const CEntry* entry = m_model.CurrentEntry();
        return entry ? MediaRef(entry->id) : CVariant{};
    });
    player.Setter("currentMedia", [this](const CVariant& value) {
        const int32_t id = EntryOf(value);
        if (id == 0) return kE_INVALIDARG;
        m_model.SetCurrent(m_model.entries[id].Attribute("Title"), {id});
        m_model.PlayIndex(0);
        return kS_OK;
    });
    player.Method("newMedia", [this](const CVariantList& args, CVariant& result) {
        std::string url;
        if (!Arg(args, 0, url) || url.empty()) return kE_INVALIDARG;
        result = MediaRef(m_model.EntryFor(url));
        return kS_OK;
    });

    player.Getter("controls", [this] {
        return Keep("controls", [this] {
            auto controls = std::make_unique<CDispatchObject>();
            CModel& m = m_model;
            auto action = [&controls](const std::string& name, std::function<void()> act) {
                controls->Method(name, [act = std::move(act)](const CVariantList&, CVariant&) {
                    act();
                    return kS_OK;
                });
            };
            action("play", [&m] { m.Play(); });
            action("pause", [&m] { m.Pause(); });
            action("stop", [&m] { m.Stop(); });
            action("fastForward", [&m] { m.Scan(CModel::kScanForward); });
            action("fastReverse", [&m] { m.Scan(CModel::kScanReverse); });
            action("next", [&m] { m.Next(); });
            action("previous", [&m] { m.Previous(); });
            controls->Getter("currentPosition", [&m] { return CVariant(m.Position()); });
            controls->Setter("currentPosition", [&m](const CVariant& value) {
                double seconds = 0;
                if (!FromVariant(value, seconds)) return kDISP_E_TYPEMISMATCH;
                m.SetPosition(seconds);
                return kS_OK;
            });
            controls->Method("playItem", [this](const CVariantList& args, CVariant&) {
                const int32_t id = args.empty() ? 0 : EntryOf(args[0]);
                const auto& list = m_model.Current();
                const auto it = std::ranges::find(list, id);
                if (it == list.end()) return kNotFound;
                m_model.PlayIndex(static_cast<int32_t>(it - list.begin()));
                return kS_OK;
            });
            return controls;
        });
    });

    player.Getter("settings", [this] {
        return Keep("settings", [this] {
            auto settings = std::make_unique<CDispatchObject>();
            CModel& m = m_model;
            settings->Getter("volume", [&m] { return CVariant(m.Volume()); });
            settings->Setter("volume", [&m](const CVariant& value) {
                int32_t volume = 0;
                if (!FromVariant(value, volume)) return kDISP_E_TYPEMISMATCH;
                m.SetVolume(std::clamp(volume, 0, 100));
                return kS_OK;
            });
            settings->Method("getMode", [&m](const CVariantList& args, CVariant& result) {
                std::string name;
                if (!Arg(args, 0, name)) return kE_INVALIDARG;
                result = m.Mode(name);
                return kS_OK;
            });
            settings->Method("setMode", [&m](const CVariantList& args, CVariant&) {
                std::string name;
                bool on = false;
                if (!Arg(args, 0, name) || !Arg(args, 1, on)) return kE_INVALIDARG;
                if (name != "shuffle" && name != "loop") return kE_INVALIDARG;
                m.SetMode(name, on);
                return kS_OK;
            });
            return settings;
        });
    });

    // Editing the current playlist goes through its own object.
    current();
    CDispatchObject& list = *m_objects.at("current");
    list.Method("appendItem", [this](const CVariantList& args, CVariant&) {
        const int32_t id = args.empty() ? 0 : EntryOf(args[0]);
        if (id == 0) return kE_INVALIDARG;
        m_model.Insert(-1, id);
        return kS_OK;
    });
    list.Method("insertItem", [this](const CVariantList& args, CVariant&) {
        int32_t index = 0;
        const int32_t id = args.size() < 2 ? 0 : EntryOf(args[1]);
        if (!Arg(args, 0, index) || id == 0) return kE_INVALIDARG;
        m_model.Insert(index, id);
        return kS_OK;
    });
    list.Method("removeItem", [this](const CVariantList& args, CVariant&) {
        const int32_t id = args.empty() ? 0 : EntryOf(args[0]);
        const auto& all = m_model.Current();
        const auto it = std::ranges::find(all, id);
        if (it == all.end()) return kNotFound;
        m_model.RemoveAt(static_cast<int32_t>(it - all.begin()));
        return kS_OK;
    });
    list.Method("moveItem", [this](const CVariantList& args, CVariant&) {
        int32_t from = 0;
        int32_t to = 0;
        const auto size = static_cast<int32_t>(m_model.Current().size());
        if (!Arg(args, 0, from) || !Arg(args, 1, to) || from < 0 || to < 0 || from >= size ||
            to >= size) {
            return kE_INVALIDARG;
        }
        m_model.Move(from, to);
        return kS_OK;
    });
    list.Method("clear", [this](const CVariantList&, CVariant&) {
        m_model.Clear();
        return kS_OK;
    });

    player.Getter("mediaCollection", [this] {
        return Keep("collection", [this] {
            auto collection = std::make_unique<CDispatchObject>();
            collection->Method("getAll", [this](const CVariantList&, CVariant& result) {
                result = ListRef(
                    "all",
                    [this] {
                        std::vector<int32_t> ids;
                        for (const auto& [id, entry] : m_model.entries) ids.push_back(id);
                        return ids;
                    },
                    [] { return std::string("All Media"); });
                return kS_OK;
            });
            collection->Method("getByAttribute",
                               [this](const CVariantList& args, CVariant& result) {
                                   std::string name;
                                   std::string value;
                                   if (!Arg(args, 0, name) || !Arg(args, 1, value))
                                       return kE_INVALIDARG;
                                   result = ListRef(
                                       "query:" + name + "=" + value,
                                       [this, name, value] {
                                           std::vector<int32_t> ids;
                                           for (const auto& [id, entry] : m_model.entries) {
                                               if (entry.Attribute(name) == value)
                                                   ids.push_back(id);
                                           }
                                           return ids;
                                       },
                                       [] { return std::string(); });
                                   return kS_OK;
                               });
            return collection;
        });
    });

    player.Getter("playlistCollection", [this] {
        return Keep("playlists", [this] {
            auto collection = std::make_unique<CDispatchObject>();
            collection->Method("getByName", [this](const CVariantList& args, CVariant& result) {
                std::string name;
                if (!Arg(args, 0, name)) return kE_INVALIDARG;
                const bool found = m_model.playlists.contains(name);
                const CVariant list = ListRef(
                    "playlist:" + name, [this, name] { return m_model.playlists[name]; },
                    [name] { return name; });
                m_listNames[m_objects.at("playlist:" + name).get()] = name;
                // The answer is an array of the playlists of that name.
                result = Keep("array:" + name, [this, found, list] {
                    auto array = std::make_unique<CDispatchObject>();
                    array->Getter("count", [found] { return CVariant(found ? 1 : 0); });
                    array->Indexed("item", [found, list](const CVariantList& a, CVariant& r) {
                        int32_t index = 0;
                        if (!found || !Arg(a, 0, index) || index != 0) return kE_INVALIDARG;
                        r = list;
                        return kS_OK;
                    });
                    return array;
                });
                return kS_OK;
            });
            return collection;
        });
    });
}

}  // namespace vantor::wmpsim
