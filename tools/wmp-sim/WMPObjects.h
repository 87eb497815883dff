#pragma once

#include "platform/AutomationDispatch.h"
#include "tools/wmp-sim/WMPModel.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vantor::wmpsim {

// The published player control ("WMPlayer.OCX"): controls, settings, the current media and
// playlist, the media and playlist collections, and the control's events.
class CObjects {
public:
    CObjects(CModel& model, CAutomationServer& server);
    ~CObjects();

    IAutomationObject& Player() { return *m_player; }
    void FireEvent(uint32_t event, int32_t value, const std::string& text);

private:
    void BuildPlayer();
    CVariant MediaRef(int32_t id);
    // A list of entries; `ids` is asked at every call.
    CVariant ListRef(const std::string& key, std::function<std::vector<int32_t>()> ids,
                     std::function<std::string()> name);
    CVariant Keep(const std::string& key,
                  const std::function<std::unique_ptr<CDispatchObject>()>& make);
    // The entry id of a media reference; 0 for anything else.
    int32_t EntryOf(const CVariant& value) const;

    CModel& m_model;
    CAutomationServer& m_server;
    std::unique_ptr<CDispatchObject> m_player;
    std::map<std::string, std::unique_ptr<CDispatchObject>> m_objects;
    std::map<const IAutomationObject*, int32_t> m_mediaIds;
    std::map<const IAutomationObject*, std::string> m_listNames;  // named playlists
};

}  // namespace vantor::wmpsim
