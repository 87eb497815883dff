#pragma once

#include <string>

namespace vantor {

class CMessage;

// A way for clients to reach the server (the XML channel, the HTTP channel). The request
// router owns its channels and drives them.
class ICommChannel {
public:
    virtual ~ICommChannel();
    // Opens the channel and starts its threads. 0, or -1 (logged by the channel).
    virtual int Start() = 0;
    // Closes every connection and waits for the channel's threads. Returns 0.
    virtual int Stop() = 0;
    // Writes the message to the connection whose id is its clientId, or to every
    // connection for -1. Any thread; does not take ownership. 0, or -1 when the message
    // produced no document.
    virtual int Send(const CMessage& message) = 0;
    // Why the last Start returned -1, for a reader (names the port and the system's
    // reason when the channel could not listen); "" after a good start. Owner's thread.
    virtual std::string StartFailure() const { return {}; }
};

}  // namespace vantor
