// vantorctl: status and the commands that drive the player.

#include <algorithm>
#include <cstdlib>

#include "client/ctl/CtlCommands.h"
#include "client/display/PlayerTexts.h"
#include "client/link/Requests.h"
#include "client/update/ClientUpdater.h"
#include "client/update/HttpFetch.h"

namespace vantor::ctl {

namespace requests = client::requests;

namespace {

// Asks with a plain request and hands back the response as T; kExitOk or the status.
template <class T>
int Ask(CtlSession& session, int32_t requestType, int32_t responseType, const T*& out,
        std::unique_ptr<CResponseMessage>& holder) {
    auto request = requests::Plain(requestType);
    const int status = session.Call(*request, holder);
    if (status != kExitOk) return status;
    out = client::ResponseAs<T>(holder, responseType);
    if (!out) {
        Output::Error("unexpected answer " + holder->TypeName());
        return kExitUsage;
    }
    return kExitOk;
}

std::string OnOff(bool on) {
    return on ? "on" : "off";
}

}  // namespace

bool NumberArgument(const std::string& text, long low, long high, long& value,
                    const std::string& what) {
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high) {
        Output::Error(what + " must be a whole number from " + std::to_string(low) + " to " +
                      std::to_string(high));
        return false;
    }
    return true;
}

void ReportDone(const CtlSession& session, const std::string& command) {
    if (session.Out().Json())
        session.Out().Answer("", JsonObject().Text("command", command).Number("returnCode", 0));
}

int StatusCommand(CtlSession& session, const Arguments&) {
    std::unique_ptr<CResponseMessage> a, b, c, d, e, f;
    const CPlayingStateResponse* state = nullptr;
    const CCurrentMediaResponse* media = nullptr;
    const CPositionResponse* position = nullptr;
    const CVolumeResponse* volume = nullptr;
    const CShuffleStateResponse* shuffle = nullptr;
    const CRepeatStateResponse* repeat = nullptr;
    int status = Ask(session, msg::GetPlayingStateRequest, msg::GetPlayingStateResponse, state, a);
    if (status == kExitOk) {
        // With nothing to play the server answers "not found": the title is then empty.
        auto request = requests::Plain(msg::GetCurrentMediaRequest);
        if (session.Link().SendAndWait(*request, b) != client::kLinkOk) {
            Output::Error("no answer from the server");
            return kExitNoServer;
        }
        media = client::ResponseAs<CCurrentMediaResponse>(b, msg::GetCurrentMediaResponse);
    }
    if (status == kExitOk)
        status =
            Ask(session, msg::GetPlayPositionRequest, msg::GetPlayPositionResponse, position, c);
    if (status == kExitOk)
        status = Ask(session, msg::GetVolumeRequest, msg::GetVolumeResponse, volume, d);
    if (status == kExitOk)
        status =
            Ask(session, msg::GetShuffleStateRequest, msg::GetShuffleStateResponse, shuffle, e);
    if (status == kExitOk)
        status = Ask(session, msg::GetRepeatStateRequest, msg::GetRepeatStateResponse, repeat, f);
    if (status != kExitOk) return status;

    const CCurrentMedia current =
        media && media->ReturnCode() == 0 ? media->Body() : CCurrentMedia{};
    const int32_t seconds = std::max(position->Body().position, 0);
    const std::string stateName = PlayingStateName(state->Body().playingState);
    std::string plain = "state: " + stateName + "\n";
    plain += "title: " + client::TitleLine(current) + "\n";
    plain += "position: " + client::TimeText(seconds * 1000LL, current.length, false);
    if (current.length > 0) plain += " / " + client::TimeText(current.length * 1000LL, 0, false);
    plain += "\nvolume: " + std::to_string(volume->Body().volume) + "\n";
    plain += "shuffle: " + OnOff(shuffle->Body().shuffleState) + "\n";
    plain += "repeat: " + OnOff(repeat->Body().repeatState) + "\n";
    JsonObject json;
    json.Text("state", stateName)
        .Text("title", current.title)
        .Text("artist", current.artist)
        .Text("album", current.album)
        .Text("titleLine", client::TitleLine(current))
        .Number("position", seconds)
        .Number("length", current.length)
        .Number("volume", volume->Body().volume)
        .Flag("shuffle", shuffle->Body().shuffleState)
        .Flag("repeat", repeat->Body().repeatState);
    session.Out().Answer(plain, json);
    return kExitOk;
}

int TransportCommand(CtlSession& session, const std::string& command) {
    const int32_t type = command == "play"    ? msg::PlayRequest
                         : command == "pause" ? msg::PauseRequest
                         : command == "stop"  ? msg::StopRequest
                         : command == "next"  ? msg::NextItemRequest
                                              : msg::PreviousItemRequest;
    const int status = session.Call(requests::Plain(type));
    if (status == kExitOk) ReportDone(session, command);
    return status;
}

int ToggleCommand(CtlSession& session, const Arguments&) {
    std::unique_ptr<CResponseMessage> holder;
    const CPlayingStateResponse* state = nullptr;
    int status =
        Ask(session, msg::GetPlayingStateRequest, msg::GetPlayingStateResponse, state, holder);
    if (status != kExitOk) return status;
    const bool playing = state->Body().playingState == kPlaying;
    status = session.Call(requests::Plain(playing ? msg::PauseRequest : msg::PlayRequest));
    if (status == kExitOk) ReportDone(session, playing ? "pause" : "play");
    return status;
}

int SeekCommand(CtlSession& session, const Arguments& args) {
    long seconds = 0;
    if (args.size() != 1 || !NumberArgument(args[0], 0, 24L * 3600 * 365, seconds, "SECONDS"))
        return kExitUsage;
    const int status = session.Call(requests::SetPlayPosition(static_cast<int32_t>(seconds)));
    if (status == kExitOk) ReportDone(session, "seek");
    return status;
}

int VolumeCommand(CtlSession& session, const Arguments& args) {
    if (args.size() > 1) {
        Output::Error("volume takes one value: N, +N or -N");
        return kExitUsage;
    }
    std::unique_ptr<CResponseMessage> holder;
    const CVolumeResponse* current = nullptr;
    int status = Ask(session, msg::GetVolumeRequest, msg::GetVolumeResponse, current, holder);
    if (status != kExitOk) return status;
    int32_t volume = current->Body().volume;
    if (!args.empty()) {
        const std::string& text = args[0];
        const bool relative = !text.empty() && (text[0] == '+' || text[0] == '-');
        long value = 0;
        if (!NumberArgument(relative ? text.substr(1) : text, 0, 100, value, "the volume"))
            return kExitUsage;
        const long target = !relative ? value : text[0] == '+' ? volume + value : volume - value;
        volume = static_cast<int32_t>(std::clamp(target, 0L, 100L));
        status = session.Call(requests::SetVolume(volume));
        if (status != kExitOk) return status;
    }
    session.Out().Answer("volume: " + std::to_string(volume),
                         JsonObject().Number("volume", volume));
    return kExitOk;
}

int SwitchCommand(CtlSession& session, const std::string& command, const Arguments& args) {
    const bool shuffle = command == "shuffle";
    std::unique_ptr<CResponseMessage> holder;
    bool on = false;
    if (shuffle) {
        const CShuffleStateResponse* state = nullptr;
        const int status =
            Ask(session, msg::GetShuffleStateRequest, msg::GetShuffleStateResponse, state, holder);
        if (status != kExitOk) return status;
        on = state->Body().shuffleState;
    } else {
        const CRepeatStateResponse* state = nullptr;
        const int status =
            Ask(session, msg::GetRepeatStateRequest, msg::GetRepeatStateResponse, state, holder);
        if (status != kExitOk) return status;
        on = state->Body().repeatState;
    }
    if (!args.empty()) {
        const std::string& how = args[0];
        if (args.size() != 1 || (how != "on" && how != "off" && how != "toggle")) {
            Output::Error(command + " takes on, off or toggle");
            return kExitUsage;
        }
        on = how == "toggle" ? !on : how == "on";
        const int status =
            session.Call(shuffle ? requests::SetShuffle(on) : requests::SetRepeat(on));
        if (status != kExitOk) return status;
    }
    session.Out().Answer(command + ": " + OnOff(on), JsonObject().Flag(command, on));
    return kExitOk;
}

int RateCommand(CtlSession& session, const Arguments& args) {
    long stars = 0;
    if (args.size() != 1 || !NumberArgument(args[0], 0, 5, stars, "the rating")) return kExitUsage;
    // The server rates from 0 to 100, 20 per star.
    const int status = session.Call(requests::SetTrackRating(static_cast<int32_t>(stars * 20)));
    if (status == kExitOk) ReportDone(session, "rate");
    return status;
}

int EqCommand(CtlSession& session, const Arguments& args) {
    if (!args.empty()) {
        if (args.size() != 2 || args[0] != "preset") {
            Output::Error("use: eq, or eq preset NAME");
            return kExitUsage;
        }
        const int status = session.Call(requests::SetEqPreset(args[1]));
        if (status == kExitOk) ReportDone(session, "eq preset");
        return status;
    }
    std::unique_ptr<CResponseMessage> eqHolder, presetHolder;
    const CEqResponse* eq = nullptr;
    const CEqPresetsResponse* presets = nullptr;
    int status = Ask(session, msg::GetEqRequest, msg::GetEqResponse, eq, eqHolder);
    if (status == kExitOk)
        status = Ask(session, msg::GetEqPresetsRequest, msg::GetEqPresetsResponse, presets,
                     presetHolder);
    if (status != kExitOk) return status;
    const CEqSettings& settings = eq->Body();
    std::string bands;
    std::vector<std::string> bandTexts;
    for (int32_t band : settings.bands) {
        bands += (bands.empty() ? "" : " ") + std::to_string(band);
        bandTexts.push_back(std::to_string(band));
    }
    std::string plain =
        "enabled: " + OnOff(settings.enabled) + "\nautoload: " + OnOff(settings.autoLoad) +
        "\npreamp: " + std::to_string(settings.preamp) + "\nbands: " + bands + "\npresets:";
    for (const auto& name : presets->Body().presets) plain += "\n  " + name;
    JsonObject json;
    json.Flag("enabled", settings.enabled)
        .Flag("autoLoad", settings.autoLoad)
        .Number("preamp", settings.preamp)
        .TextList("bands", bandTexts)
        .TextList("presets", presets->Body().presets);
    session.Out().Answer(plain, json);
    return kExitOk;
}

int ArtCommand(CtlSession& session, const Arguments& args) {
    if (args.size() != 1) {
        Output::Error("use: art FILE");
        return kExitUsage;
    }
    std::unique_ptr<CResponseMessage> holder;
    const CAlbumArtResponse* art = nullptr;
    const int status = Ask(session, msg::GetAlbumArtRequest, msg::GetAlbumArtResponse, art, holder);
    if (status != kExitOk) return status;
    const std::string url =
        client::ClientUpdater::DownloadLocation(art->Body().artURL, session.Link().ServerHost());
    const client::FetchResult fetched =
        client::FetchToFile(url, args[0], std::max(30, session.Opts().timeoutSeconds));
    if (!fetched.Ok()) {
        Output::Error("cannot fetch " + url + ": " + fetched.error);
        return fetched.status == 0 ? kExitNoServer : kExitServerCode;
    }
    session.Out().Answer("saved " + url + " to " + args[0],
                         JsonObject().Text("url", url).Text("file", args[0]));
    return kExitOk;
}

}  // namespace vantor::ctl
