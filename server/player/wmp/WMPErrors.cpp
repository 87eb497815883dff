#include "server/player/wmp/WMPErrors.h"

#include "protocol/MessageType.h"

namespace vantor::wmp {

std::string MessageText(HRESULT hr) {
    switch (static_cast<uint32_t>(hr)) {
        case 0x80004001:
            return "Not implemented";
        case 0x80004003:
            return "Invalid pointer";
        case 0x80004005:
            return "Unspecified error";
        case 0x8000FFFF:
            return "Catastrophic failure";
        case 0x80010001:
            return "Call was rejected by callee.";
        case 0x80010108:
            return "The object invoked has disconnected from its clients.";
        case 0x8001011F:
            return "This operation returned because the timeout period expired.";
        case 0x80020003:
            return "Member not found.";
        case 0x80020005:
            return "Type mismatch.";
        case 0x80070005:
            return "Access is denied.";
        case 0x80070057:
            return "The parameter is incorrect.";
        case 0x800706BA:
            return "The RPC server is unavailable.";
        case 0xC00D1054:
            return "Windows Media Player cannot find the specified item.";
        default:
            return "";
    }
}

int32_t PlayingStateFromPlayState(int32_t playState) {
    switch (playState) {
        case 3:
            return kPlaying;
        case 2:
            return kPaused;
        case 4:
            return kFastForwarding;
        case 5:
            return kRewinding;
        default:
            return kStopped;
    }
}

}  // namespace vantor::wmp
