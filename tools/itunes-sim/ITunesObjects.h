#pragma once

#include "platform/AutomationDispatch.h"
#include "tools/itunes-sim/ITunesModel.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace vantor::itunessim {

// iTunes-specific results.
constexpr HRESULT kObjectDeleted = HResult(0xA0040202);
constexpr HRESULT kNameExists = HResult(0xA0040206);

// The published object model over the player: the application object ("iTunes.Application")
// with its tracks, playlists, sources, artwork and equaliser presets, and the control object
// ("iTunes.SimControl") through which tests and demos act on the player as its user would.
// Objects are made on first use and kept; one whose track or playlist was deleted answers
// kObjectDeleted.
class CObjects {
public:
    CObjects(CModel& model, CAutomationServer& server);
    ~CObjects();

    IAutomationObject& Application();
    IAutomationObject& Control();
    bool QuitRequested() const { return m_quit; }
    // Called by the main loop: events of the model go out to the application's subscribers.
    void FireEvent(uint32_t event);

private:
    void BuildApplication();
    void BuildControl();
    std::unique_ptr<CDispatchObject> MakeTrack(int32_t playlistId, int32_t trackId);
    std::unique_ptr<CDispatchObject> MakePlaylist(int32_t playlistId);
    CVariant TrackRef(int32_t playlistId, int32_t trackId);
    CVariant PlaylistRef(int32_t playlistId);
    CVariant SourceRef(size_t index);
    CVariant PresetRef(size_t index);
    // A collection object made once per key.
    CVariant CollectionRef(const std::string& key, std::function<int32_t()> count,
                           std::function<CVariant(int32_t index)> item,
                           std::function<CVariant(const std::string& name)> byName);
    CVariant Keep(const std::string& key, std::function<std::unique_ptr<CDispatchObject>()> make);
    HRESULT Refused() const;

    CModel& m_model;
    CAutomationServer& m_server;
    std::map<std::string, std::unique_ptr<CDispatchObject>> m_objects;
    std::unique_ptr<CDispatchObject> m_application;
    std::unique_ptr<CDispatchObject> m_control;
    bool m_quit = false;
};

}  // namespace vantor::itunessim
