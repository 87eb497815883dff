#include "protocol/ResultCodes.h"

namespace vantor {

std::string DescribeResultCode(int32_t code) {
    switch (code) {
        case 0:
            return "Success";
        case 10:
            return "The message was invalid";
        case 11:
            return "One or more of the arguments specified were invalid";
        case 12:
            return "The client is not connected to the server";
        case 13:
            return "Internal: The queue is full, cannot continue";
        case 14:
            return "The operation timed out";
        case 15:
            return "The operation failed (reason unknown)";
        case 16:
            return "An unspecified local system error occurred";
        case 17:
            return "A required file was not found";
        case 18:
            return "A data parsing error was encountered";
        case 19:
            return "The requested operation is not supported by the current configuration";
        case 20:
            return "The media library is locked";
        case 21:
            return "Initial indexing of the media library is being performed";
        case 22:
            return "The specified path or media item was not found within the media library";
        case 100:
            return "The specified media item was not found";
        case 101:
            return "The specified playlist was not found";
        case 102:
            return "There was an error communicating with the media player";
        case 103:
            return "An attempt to execute a player command failed for an unknown reason";
        case 104:
            return "The specified object is locked or read-only";
        case 105:
            return "The specified object has been deleted";
        case 106:
            return "The attempted command is not allowed in the player's current state";
        case 107:
            return "The requested operation is pending completion";
        case 108:
            return "The requested operation was aborted by the client";
        case 109:
            return "The stream was purposefully stopped before completion";
        case 110:
            return "The requested operation has caused the source to rebuffer";
        case 111:
            return "The requested operation has caused the source to degrade codec quality";
        case 112:
            return "The specified stream has already been rendered";
        case 113:
            return "Failed to clear playlist because it was aborted by user";
        case 114:
            return "Failed to remove item in the playlist since it was aborted by user";
        case 115:
            return "Playlist is being generated asynchronously";
        case 116:
            return "Validation of the media is pending";
        case 117:
            return "Name for the playlist has been auto generated";
        case 118:
            return "The imported playlist does not contain all items from the original";
        case 119:
            return "The M3U playlist has been ignored because it only contains one item";
        case 120:
            return "A security upgrade is required to perform the operation on this media file";
        case 121:
            return "The requested operation is successful, but will not function correctly "
                   "until the system is rebooted";
        case 122:
            return "EOS hit during rewinding";
        case 123:
            return "There is no album art available for the specified media item";
        case 500:
            return "The requested operation cannot be executed in the current mode";
        case 501:
            return "The main application was unable to established a connection to the MCE "
                   "helper add-in";
        case 502:
            return "The specified button was not found - check the button definition XML file";
        default:
            return "Unknown error";
    }
}

}  // namespace vantor
