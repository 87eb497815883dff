#include "server/player/mpris/MprisConfig.h"

#include "server/core/ConfigStore.h"
#include "server/player/mpris/DBusConnection.h"
#include "server/player/mpris/MprisNames.h"

#include <algorithm>
#include <cstring>

namespace vantor {

bool CMprisAddress::Matches(const std::string& busName) const {
    if (busName.compare(0, std::strlen(mpris::kNamePrefix), mpris::kNamePrefix) != 0) return false;
    if (player.empty()) return true;
    const std::string wanted = player.compare(0, std::strlen(mpris::kNamePrefix),
                                              mpris::kNamePrefix) == 0
                                   ? player
                                   : mpris::kNamePrefix + player;
    return busName == wanted ||
           (busName.size() > wanted.size() && busName.compare(0, wanted.size(), wanted) == 0 &&
            busName[wanted.size()] == '.');
}

CMprisAddress MprisAddressFromConfig(const CConfigStore& config) {
    CMprisAddress address;
    address.bus = config.GetString("MPRIS\\Bus", "session");
    address.player = config.GetString("MPRIS\\Player", "");
    return address;
}

std::string MprisMusicDirectoryFromConfig(const CConfigStore& config) {
    return config.GetString("MPRIS\\MusicDirectory", "");
}

std::vector<std::string> MprisCandidates(const CMprisAddress& address,
                                         const std::vector<std::string>& busNames) {
    std::vector<std::string> names;
    for (const auto& name : busNames) {
        if (address.Matches(name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool MprisPlayerPresent(const CConfigStore& config) {
    CMprisAddress address = MprisAddressFromConfig(config);
    BusPtr bus;
    if (OpenBus(address.bus, 500, bus) < 0) return false;
    CBusError error;
    std::vector<std::string> list;
    if (ListBusNames(bus.get(), list, error) < 0) return false;
    return !MprisCandidates(address, list).empty();
}

}  // namespace vantor
