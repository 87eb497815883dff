#pragma once

// Messages about the connection itself: error texts, client updates and the update
// description document.

#include <cstdint>
#include <memory>
#include <string>

#include "protocol/Message.h"

namespace vantor {

// GetErrorDetailsRequest: the code whose description is wanted.
struct CErrorCodeBody {
    int32_t returnCode = -1;
    bool operator==(const CErrorCodeBody&) const = default;
};

// GetErrorDetailsResponse: the description text.
struct CDescriptionBody {
    std::string description;
    bool operator==(const CDescriptionBody&) const = default;
};

// GetClientVersionRequest: the client's platform text, which names its update file.
struct CClientTypeBody {
    std::string type;
    bool operator==(const CClientTypeBody&) const = default;
};

// GetClientVersionResponse.
struct CClientVersionBody {
    std::string version;
    std::string url;
    std::string parameters;
    std::string checksum;
    bool operator==(const CClientVersionBody&) const = default;
};

// VersionInformation: an update description as stored on disk and downloaded by the
// update check. Elements "Name", "Version", "Action", "Parameters", "UpdateURL",
// "InfoURL", "Checksum", "Description", all always written.
struct CVersionInfoBody {
    std::string name;
    std::string version;
    std::string action;
    std::string parameters;
    std::string updateURL;
    std::string infoURL;
    std::string checksum;
    std::string description;
    bool operator==(const CVersionInfoBody&) const = default;
};

void WriteFields(std::string& out, const CErrorCodeBody& body);
void ReadFields(const std::string& doc, CErrorCodeBody& body);
void WriteFields(std::string& out, const CDescriptionBody& body);
void ReadFields(const std::string& doc, CDescriptionBody& body);
void WriteFields(std::string& out, const CClientTypeBody& body);
void ReadFields(const std::string& doc, CClientTypeBody& body);
void WriteFields(std::string& out, const CClientVersionBody& body);
void ReadFields(const std::string& doc, CClientVersionBody& body);
void WriteFields(std::string& out, const CVersionInfoBody& body);
void ReadFields(const std::string& doc, CVersionInfoBody& body);

using CErrorDetailsRequest = TBodyMessage<CRequestMessage, CErrorCodeBody>;
using CClientVersionRequest = TBodyMessage<CRequestMessage, CClientTypeBody>;
using CClientVersionResponse = TBodyMessage<CResponseMessage, CClientVersionBody>;
// Written and read like an event.
using CVersionInformation = TBodyMessage<CMessage, CVersionInfoBody>;

// The one response without "returnCode": its document holds requestId (when set) and the
// description, so a read-back returnCode is always -1.
class CErrorDetailsResponse : public TBodyMessage<CResponseMessage, CDescriptionBody> {
public:
    explicit CErrorDetailsResponse(int32_t typeId = msg::GetErrorDetailsResponse)
        : TBodyMessage(typeId) {}
    std::unique_ptr<CMessage> Clone() const override;

protected:
    void WriteEnvelope(std::string& out) const override;
};

}  // namespace vantor
