#include "tools/itunes-sim/ITunesObjects.h"

#include "tools/itunes-sim/ArtworkBytes.h"

#include <unistd.h>
#include <algorithm>
#include <fstream>

namespace vantor::itunessim {

namespace {

CVariant Text(const std::string& text) {
    return CVariant(text);
}

CVariant Number(int32_t value) {
    return CVariant(value);
}

}  // namespace

CObjects::CObjects(CModel& model, CAutomationServer& server) : m_model(model), m_server(server) {
    BuildApplication();
    BuildControl();
}

CObjects::~CObjects() = default;

IAutomationObject& CObjects::Application() {
    return *m_application;
}

IAutomationObject& CObjects::Control() {
    return *m_control;
}

void CObjects::FireEvent(uint32_t event) {
    m_server.Fire(*m_application, event, {});
}

HRESULT CObjects::Refused() const {
    return m_model.callsEnabled ? kS_OK : kRPC_E_CALL_REJECTED;
}

CVariant CObjects::Keep(const std::string& key,
                        std::function<std::unique_ptr<CDispatchObject>()> make) {
    auto it = m_objects.find(key);
    if (it == m_objects.end()) {
        it = m_objects.emplace(key, make()).first;
    }
    return m_server.RefOf(*it->second);
}

CVariant CObjects::CollectionRef(const std::string& key, std::function<int32_t()> count,
                                 std::function<CVariant(int32_t index)> item,
                                 std::function<CVariant(const std::string& name)> byName) {
    return Keep(key, [&] {
        auto collection = std::make_unique<CDispatchObject>();
        collection->Guard([this] { return Refused(); });
        collection->Getter("Count", [count] { return Number(count()); });
        collection->Indexed("Item", [count, item](const CVariantList& args, CVariant& result) {
            int32_t index = 0;
            if (!Arg(args, 0, index)) return kE_INVALIDARG;
            if (index < 1 || index > count()) return kE_INVALIDARG;
            result = item(index);
            return kS_OK;
        });
        if (byName) {
            collection->Indexed("ItemByName", [byName](const CVariantList& args, CVariant& result) {
                std::string name;
                if (!Arg(args, 0, name)) return kE_INVALIDARG;
                result = byName(name);
                return kS_OK;
            });
        }
        return collection;
    });
}

CVariant CObjects::TrackRef(int32_t playlistId, int32_t trackId) {
    return Keep("track:" + std::to_string(playlistId) + ":" + std::to_string(trackId),
                [&] { return MakeTrack(playlistId, trackId); });
}

std::unique_ptr<CDispatchObject> CObjects::MakeTrack(int32_t playlistId, int32_t trackId) {
    auto object = std::make_unique<CDispatchObject>();
    object->Guard([this, trackId] {
        const HRESULT hr = Refused();
        if (Failed(hr)) return hr;
        return m_model.tracks.contains(trackId) ? kS_OK : kObjectDeleted;
    });
    auto track = [this, trackId]() -> CTrack& { return m_model.tracks.at(trackId); };
    object->Getter("Name", [track] { return Text(track().name); });
    object->Getter("Artist", [track] { return Text(track().artist); });
    object->Getter("Album", [track] { return Text(track().album); });
    object->Getter("Genre", [track] { return Text(track().genre); });
    object->Getter("Location", [track] { return Text(track().location); });
    object->Getter("Duration", [track] { return Number(track().duration); });
    object->Getter("TrackNumber", [track] { return Number(track().trackNumber); });
    object->Getter("VideoKind", [track] { return Number(track().videoKind); });
    object->Getter("Rating", [track] { return Number(track().rating); });
    object->Setter("Rating", [track](const CVariant& value) {
        int32_t rating = 0;
        if (!FromVariant(value, rating)) return kDISP_E_TYPEMISMATCH;
        if (rating < 0 || rating > 100) return kE_INVALIDARG;
        track().rating = rating;
        return kS_OK;
    });
    object->Getter("Index", [this, playlistId, trackId] {
        const auto& list = m_model.playlists[playlistId].tracks;
        const auto it = std::ranges::find(list, trackId);
        return Number(it == list.end() ? 0 : static_cast<int32_t>(it - list.begin()) + 1);
    });
    object->Getter("Playlist", [this, playlistId] { return PlaylistRef(playlistId); });
    object->Method("Play", [this, playlistId, trackId](const CVariantList&, CVariant&) {
        const auto& list = m_model.playlists[playlistId].tracks;
        const auto it = std::ranges::find(list, trackId);
        if (it == list.end()) return kObjectDeleted;
        m_model.PlayAt(playlistId, static_cast<int32_t>(it - list.begin()));
        return kS_OK;
    });
    object->Method("Delete", [this, playlistId, trackId](const CVariantList&, CVariant&) {
        const auto& list = m_model.playlists[playlistId].tracks;
        const auto it = std::ranges::find(list, trackId);
        if (it == list.end()) return kObjectDeleted;
        m_model.RemoveAt(playlistId, static_cast<int32_t>(it - list.begin()));
        return kS_OK;
    });
    object->Getter("Artwork", [this, trackId] {
        return CollectionRef(
            "artwork:" + std::to_string(trackId),
            [this, trackId] {
                auto it = m_model.tracks.find(trackId);
                return it != m_model.tracks.end() && it->second.artworkFormat != 0 ? 1 : 0;
            },
            [this, trackId](int32_t) {
                return Keep("art:" + std::to_string(trackId), [this, trackId] {
                    auto art = std::make_unique<CDispatchObject>();
                    art->Guard([this] { return Refused(); });
                    auto format = [this, trackId] {
                        auto it = m_model.tracks.find(trackId);
                        return it == m_model.tracks.end() ? 0 : it->second.artworkFormat;
                    };
                    art->Getter("Format", [format] { return Number(format()); });
                    art->Method("SaveArtworkToFile", [format](const CVariantList& args, CVariant&) {
                        std::string path;
                        if (!Arg(args, 0, path)) return kE_INVALIDARG;
                        const std::string_view bytes = ArtworkBytes(format());
                        std::ofstream out(path, std::ios::binary | std::ios::trunc);
                        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
                        return out.good() && !bytes.empty() ? kS_OK : kE_FAIL;
                    });
                    return art;
                });
            },
            nullptr);
    });
    return object;
}

CVariant CObjects::PlaylistRef(int32_t playlistId) {
    return Keep("playlist:" + std::to_string(playlistId), [&] { return MakePlaylist(playlistId); });
}

std::unique_ptr<CDispatchObject> CObjects::MakePlaylist(int32_t playlistId) {
    auto object = std::make_unique<CDispatchObject>();
    object->Guard([this, playlistId] {
        const HRESULT hr = Refused();
        if (Failed(hr)) return hr;
        return m_model.playlists.contains(playlistId) ? kS_OK : kObjectDeleted;
    });
    auto playlist = [this, playlistId]() -> CPlaylist& { return m_model.playlists.at(playlistId); };
    object->Getter("Name", [playlist] { return Text(playlist().name); });
    object->Getter("Kind", [playlist] { return Number(playlist().kind); });
    object->Getter("Shuffle", [playlist] { return CVariant(playlist().shuffle); });
    object->Setter("Shuffle", [playlist](const CVariant& value) {
        return FromVariant(value, playlist().shuffle) ? kS_OK : kDISP_E_TYPEMISMATCH;
    });
    object->Getter("SongRepeat", [playlist] { return Number(playlist().songRepeat); });
    object->Setter("SongRepeat", [playlist](const CVariant& value) {
        int32_t repeat = 0;
        if (!FromVariant(value, repeat)) return kDISP_E_TYPEMISMATCH;
        if (repeat < 0 || repeat > 2) return kE_INVALIDARG;
        playlist().songRepeat = repeat;
        return kS_OK;
    });
    object->Getter("Tracks", [this, playlistId, playlist] {
        return CollectionRef(
            "tracks:" + std::to_string(playlistId),
            [this, playlistId] {
                auto it = m_model.playlists.find(playlistId);
                return it == m_model.playlists.end()
                           ? 0
                           : static_cast<int32_t>(it->second.tracks.size());
            },
            [this, playlistId, playlist](int32_t index) {
                return TrackRef(playlistId, playlist().tracks[static_cast<size_t>(index - 1)]);
            },
            [this, playlistId, playlist](const std::string& name) {
                for (int32_t id : playlist().tracks) {
                    if (m_model.tracks[id].name == name) return TrackRef(playlistId, id);
                }
                return CVariant{};
            });
    });
    object->Method("PlayFirstTrack", [this, playlistId, playlist](const CVariantList&, CVariant&) {
        if (!playlist().tracks.empty()) m_model.PlayAt(playlistId, 0);
        return kS_OK;
    });
    object->Method("AddFile", [this, playlistId](const CVariantList& args, CVariant& result) {
        std::string path;
        if (!Arg(args, 0, path) || path.empty()) return kE_INVALIDARG;
        result = TrackRef(playlistId, m_model.AddFile(playlistId, path));
        return kS_OK;
    });
    object->Method("Delete", [this, playlistId](const CVariantList&, CVariant&) {
        if (playlistId == m_model.libraryPlaylist) return kE_ACCESSDENIED;
        m_model.DeletePlaylist(playlistId);
        return kS_OK;
    });
    return object;
}

CVariant CObjects::SourceRef(size_t index) {
    return Keep("source:" + std::to_string(index), [&] {
        auto object = std::make_unique<CDispatchObject>();
        object->Guard([this, index] {
            const HRESULT hr = Refused();
            if (Failed(hr)) return hr;
            return index < m_model.sources.size() ? kS_OK : kObjectDeleted;
        });
        auto source = [this, index]() -> CSource& { return m_model.sources[index]; };
        object->Getter("Name", [source] { return Text(source().name); });
        object->Getter("Kind", [source] { return Number(source().kind); });
        object->Getter("Playlists", [this, index, source] {
            return CollectionRef(
                "playlists:" + std::to_string(index),
                [source] { return static_cast<int32_t>(source().playlists.size()); },
                [this, source](int32_t i) {
                    return PlaylistRef(source().playlists[static_cast<size_t>(i - 1)]);
                },
                [this, source](const std::string& name) {
                    for (int32_t id : source().playlists) {
                        if (m_model.playlists[id].name == name) return PlaylistRef(id);
                    }
                    return CVariant{};
                });
        });
        return object;
    });
}

CVariant CObjects::PresetRef(size_t index) {
    return Keep("preset:" + std::to_string(index), [&] {
        auto object = std::make_unique<CDispatchObject>();
        object->Guard([this] { return Refused(); });
        auto preset = [this, index]() -> CPreset& { return m_model.presets[index]; };
        object->Getter("Name", [preset] { return Text(preset().name); });
        object->Getter("Preamp", [preset] { return CVariant(preset().preamp); });
        object->Setter("Preamp", [preset](const CVariant& value) {
            return FromVariant(value, preset().preamp) ? kS_OK : kDISP_E_TYPEMISMATCH;
        });
        for (size_t band = 0; band < 10; ++band) {
            const std::string name = "Band" + std::to_string(band + 1);
            object->Getter(name, [preset, band] { return CVariant(preset().bands[band]); });
            object->Setter(name, [preset, band](const CVariant& value) {
                double db = 0;
                if (!FromVariant(value, db)) return kDISP_E_TYPEMISMATCH;
                preset().bands[band] = std::clamp(db, -12.0, 12.0);
                return kS_OK;
            });
        }
        return object;
    });
}

void CObjects::BuildApplication() {
    m_application = std::make_unique<CDispatchObject>();
    CDispatchObject& app = *m_application;
    CModel& model = m_model;
    app.Guard([this] { return Refused(); });
    auto action = [&app](const std::string& name, std::function<void()> act) {
        app.Method(name, [act = std::move(act)](const CVariantList&, CVariant&) {
            act();
            return kS_OK;
        });
    };
    action("Play", [&model] { model.Play(); });
    action("Pause", [&model] { model.Pause(); });
    action("Stop", [&model] { model.Stop(); });
    action("PlayPause",
           [&model] { model.GetState() == CModel::kPlaying ? model.Pause() : model.Play(); });
    action("FastForward", [&model] { model.Scan(CModel::kFastForward); });
    action("Rewind", [&model] { model.Scan(CModel::kRewind); });
    action("Resume", [&model] { model.Play(); });
    action("NextTrack", [&model] { model.Next(); });
    action("PreviousTrack", [&model] { model.Previous(); });
    app.Method("PlayFile", [this](const CVariantList& args, CVariant&) {
        std::string path;
        if (!Arg(args, 0, path) || path.empty()) return kE_INVALIDARG;
        const int32_t id = m_model.AddFile(m_model.libraryPlaylist, path);
        const auto& list = m_model.playlists[m_model.libraryPlaylist].tracks;
        m_model.PlayAt(m_model.libraryPlaylist,
                       static_cast<int32_t>(std::ranges::find(list, id) - list.begin()));
        return kS_OK;
    });
    app.Method("CreatePlaylist", [this](const CVariantList& args, CVariant& result) {
        std::string name;
        if (!Arg(args, 0, name) || name.empty()) return kE_INVALIDARG;
        result = PlaylistRef(m_model.CreatePlaylist(name));
        return kS_OK;
    });
    app.Getter("Version", [] { return Text("7.6.2.9"); });
    app.Getter("LibraryXMLPath", [&model] { return Text(model.libraryXmlPath); });
    app.Getter("PlayerState", [&model] { return Number(model.GetState()); });
    app.Getter("PlayerPosition", [&model] { return Number(model.PositionSeconds()); });
    app.Setter("PlayerPosition", [&model](const CVariant& value) {
        int32_t seconds = 0;
        if (!FromVariant(value, seconds)) return kDISP_E_TYPEMISMATCH;
        if (!model.Current()) return kE_UNEXPECTED;
        model.SetPositionSeconds(seconds);
        return kS_OK;
    });
    app.Getter("SoundVolume", [&model] { return Number(model.Volume()); });
    app.Setter("SoundVolume", [&model](const CVariant& value) {
        int32_t volume = 0;
        if (!FromVariant(value, volume)) return kDISP_E_TYPEMISMATCH;
        if (volume < 0 || volume > 100) return kE_INVALIDARG;
        model.SetVolume(volume);
        return kS_OK;
    });
    app.Getter("CurrentTrack", [this] {
        const CTrack* track = m_model.Current();
        return track ? TrackRef(m_model.CurrentPlaylist(), track->id) : CVariant{};
    });
    app.Getter("CurrentPlaylist", [this] { return PlaylistRef(m_model.CurrentPlaylist()); });
    app.Getter("LibraryPlaylist", [this] { return PlaylistRef(m_model.libraryPlaylist); });
    app.Getter("LibrarySource", [this] { return SourceRef(0); });
    app.Getter("Sources", [this] {
        return CollectionRef(
            "sources", [this] { return static_cast<int32_t>(m_model.sources.size()); },
            [this](int32_t index) { return SourceRef(static_cast<size_t>(index - 1)); },
            [this](const std::string& name) {
                for (size_t i = 0; i < m_model.sources.size(); ++i) {
                    if (m_model.sources[i].name == name) return SourceRef(i);
                }
                return CVariant{};
            });
    });
    app.Getter("EQPresets", [this] {
        return CollectionRef(
            "presets", [this] { return static_cast<int32_t>(m_model.presets.size()); },
            [this](int32_t index) { return PresetRef(static_cast<size_t>(index - 1)); },
            [this](const std::string& name) {
                for (size_t i = 0; i < m_model.presets.size(); ++i) {
                    if (m_model.presets[i].name == name) return PresetRef(i);
                }
                return CVariant{};
            });
    });
    app.Getter("CurrentEQPreset", [this] { return PresetRef(m_model.currentPreset); });
    app.Setter("CurrentEQPreset", [this](const CVariant& value) {
        CObjectRef ref;
        if (!FromVariant(value, ref)) return kDISP_E_TYPEMISMATCH;
        IAutomationObject* target = m_server.Resolve(ref);
        for (size_t i = 0; i < m_model.presets.size(); ++i) {
            auto it = m_objects.find("preset:" + std::to_string(i));
            if (it != m_objects.end() && it->second.get() == target) {
                m_model.currentPreset = i;
                return kS_OK;
            }
        }
        return kE_INVALIDARG;
    });
    app.Getter("EQEnabled", [&model] { return CVariant(model.eqEnabled); });
    app.Setter("EQEnabled", [&model](const CVariant& value) {
        return FromVariant(value, model.eqEnabled) ? kS_OK : kDISP_E_TYPEMISMATCH;
    });
    app.Method("Quit", [this](const CVariantList&, CVariant&) {
        FireEvent(CModel::kQuitting);
        m_quit = true;
        return kS_OK;
    });
}

void CObjects::BuildControl() {
    // Never refused: it stands for the user, not for a program.
    m_control = std::make_unique<CDispatchObject>();
    m_control->Method("DisableCalls", [this](const CVariantList&, CVariant&) {
        if (m_model.callsEnabled) {
            m_model.callsEnabled = false;
            FireEvent(CModel::kCallsDisabled);
        }
        return kS_OK;
    });
    m_control->Method("EnableCalls", [this](const CVariantList&, CVariant&) {
        if (!m_model.callsEnabled) {
            m_model.callsEnabled = true;
            FireEvent(CModel::kCallsEnabled);
        }
        return kS_OK;
    });
    m_control->Method("Quit", [this](const CVariantList&, CVariant&) {
        FireEvent(CModel::kQuitting);
        m_quit = true;
        return kS_OK;
    });
    m_control->Method("PromptQuit", [this](const CVariantList&, CVariant&) {
        FireEvent(CModel::kAboutToPromptUserToQuit);
        m_quit = true;
        return kS_OK;
    });
    m_control->Getter("ProcessId", [] { return Number(static_cast<int32_t>(::getpid())); });
}

}  // namespace vantor::itunessim
