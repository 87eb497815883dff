#include "client/ctl/CtlEvents.h"

#include "client/display/PlayerTexts.h"
#include "protocol/Messages.h"

namespace vantor::ctl {

namespace {

template <class T>
const T& As(const CMessage& message) {
    return static_cast<const T&>(message);
}

EventText Make(const std::string& name, const std::string& value, JsonObject json) {
    return {value.empty() ? name : name + " " + value, std::move(json)};
}

}  // namespace

EventText DescribeEvent(const CMessage& event) {
    JsonObject json;
    switch (event.TypeId()) {
        case msg::CurrentMediaChangedEvent: {
            const CCurrentMedia& media = As<CCurrentMediaEvent>(event).Body();
            json.Text("event", "media")
                .Text("title", media.title)
                .Text("artist", media.artist)
                .Text("album", media.album)
                .Number("length", media.length)
                .Text("titleLine", client::TitleLine(media));
            return Make("media", client::TitleLine(media), json);
        }
        case msg::PlayingStateChangedEvent: {
            const std::string state =
                PlayingStateName(As<CPlayingStateEvent>(event).Body().playingState);
            return Make("state", state, json.Text("event", "state").Text("state", state));
        }
        case msg::VolumeChangedEvent: {
            const int32_t volume = As<CVolumeEvent>(event).Body().volume;
            return Make("volume", std::to_string(volume),
                        json.Text("event", "volume").Number("volume", volume));
        }
        case msg::PlaylistPositionChangedEvent: {
            // Rows count from 1, as the queue shows them.
            const int32_t row = As<CPositionEvent>(event).Body().position + 1;
            return Make("row", std::to_string(row), json.Text("event", "row").Number("row", row));
        }
        case msg::PlayPositionChangedEvent: {
            const int32_t seconds = As<CPositionEvent>(event).Body().position;
            return Make("position", std::to_string(seconds),
                        json.Text("event", "position").Number("position", seconds));
        }
        case msg::ShuffleStateChangedEvent: {
            const bool on = As<CShuffleStateEvent>(event).Body().shuffleState;
            return Make("shuffle", on ? "on" : "off",
                        json.Text("event", "shuffle").Flag("shuffle", on));
        }
        case msg::RepeatStateChangedEvent: {
            const bool on = As<CRepeatStateEvent>(event).Body().repeatState;
            return Make("repeat", on ? "on" : "off",
                        json.Text("event", "repeat").Flag("repeat", on));
        }
        case msg::PlaylistChangedEvent:
            return Make("playlist", "changed", json.Text("event", "playlist"));
        case msg::MediaLibraryChangedEvent:
            return Make("library", "changed", json.Text("event", "library"));
        case msg::EqChangedEvent: {
            const CEqSettings& eq = As<CEqEvent>(event).Body();
            return Make(
                "eq", eq.enabled ? "on" : "off",
                json.Text("event", "eq").Flag("enabled", eq.enabled).Number("preamp", eq.preamp));
        }
        default:
            return {"", json.Text("event", event.TypeName())};
    }
}

}  // namespace vantor::ctl
