#pragma once

#include <string>

#include "protocol/ConnectionMessages.h"

namespace vantor {

// What the update thread tells the desktop shell. Every call comes from the "Software
// Update Thread"; an implementation hands it to its own thread and answers later through
// CSoftwareUpdate (AcceptDownload, Install, Cancel, SkipVersion), never from inside the call.
class IUpdateNotify {
public:
    virtual ~IUpdateNotify() = default;
    // A check found `offer`. `newer` is false only for a check the user started that found
    // nothing newer ("You're up to date!").
    virtual void OnUpdateOffer(const CVersionInfoBody& offer, bool newer) = 0;
    // A check the user started could not be made; `reason` is a sentence for the user.
    virtual void OnCheckFailed(const std::string& reason) = 0;
    // Download progress in percent, each value once, rising.
    virtual void OnDownloadProgress(int percent) = 0;
    // The whole file arrived; the checksum is being verified.
    virtual void OnDownloadFinished() = 0;
    // True: verified, waiting for Install. False: the download or its checksum failed.
    virtual void OnDownloadResult(bool ready) = 0;
    // The check is over (answered, failed, cancelled or stopped with the server): windows
    // still waiting for an answer to it have nobody to answer any more.
    virtual void OnCheckEnded() = 0;
};

}  // namespace vantor
