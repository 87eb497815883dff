#pragma once

// How vantorctl shows an event: a short plain line and a JSON object.

#include <string>

#include "client/ctl/CtlOutput.h"
#include "protocol/Message.h"

namespace vantor::ctl {

struct EventText {
    std::string plain;  // "volume 55"; "" for events not shown
    JsonObject json;    // {"event":"volume","volume":55}
};

EventText DescribeEvent(const CMessage& event);

}  // namespace vantor::ctl
