#include "server/player/itunes/ITunesErrors.h"

#include "protocol/ResultCodes.h"

#include <algorithm>
#include <cmath>

namespace vantor::itunes {

const char* DescribeResult(HRESULT hr) {
    switch (static_cast<uint32_t>(hr)) {
        case 0x80010001:
            return "The call was rejected (COM calls are disabled)";
        case 0x8000FFFF:
            return "Unexpected error - media item may be unavailable";
        case 0x80004003:
            return "The returned pointer is NULL";
        case 0x80070005:
            return "This setting cannot be changed currently";
        case 0xA0040201:
            return "The operation was canceled by the user";
        case 0x800706BA:
            return "The server is unavailable";
        case 0x80070057:
            return "An invalid argument was passed into the method";
        case 0xA0040202:
            return "The object has been deleted";
        case 0xA0040203:
            return "The object is locked";
        case 0xA0040204:
            return "A conversion operation is already in progress";
        case 0xA0040205:
            return "Access to the Music Store is disabled";
        case 0xA0040206:
            return "An object with that name already exists";
        case 0xA0040207:
            return "Access to podcasts is disabled";
        case 1:
            return "No appropriate object could be found";
        default:
            return "An unknown error occurred";
    }
}

int32_t ResultCodeFor(HRESULT hr) {
    switch (static_cast<uint32_t>(hr)) {
        case 0x800706BA:
            return kResultPlayerComm;
        case 0x80070057:
            return kResultInvalidArgs;
        case 0xA0040202:
            return kResultObjectDeleted;
        case 0xA0040203:
            return kResultObjectLocked;
        default:
            return kResultPlayerCommandFailed;
    }
}

int32_t EqValueFromDecibels(double decibels) {
    return static_cast<int32_t>(std::lround(std::clamp(decibels, -12.0, 12.0) * 100.0 / 12.0));
}

double DecibelsFromEqValue(int32_t value) {
    return std::clamp(value, -100, 100) * 12.0 / 100.0;
}

}  // namespace vantor::itunes
