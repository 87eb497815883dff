#include "protocol/ConnectionMessages.h"

#include "protocol/Xml.h"

namespace vantor {

void WriteFields(std::string& out, const CErrorCodeBody& body) {
    WriteIntElement(out, "returnCode", body.returnCode);
}

void ReadFields(const std::string& doc, CErrorCodeBody& body) {
    body.returnCode = GetElementInt(doc, "returnCode");
}

void WriteFields(std::string& out, const CDescriptionBody& body) {
    WriteElement(out, "description", body.description);
}

void ReadFields(const std::string& doc, CDescriptionBody& body) {
    body.description = GetElementText(doc, "description");
}

void WriteFields(std::string& out, const CClientTypeBody& body) {
    WriteElement(out, "type", body.type);
}

void ReadFields(const std::string& doc, CClientTypeBody& body) {
    body.type = GetElementText(doc, "type");
}

void WriteFields(std::string& out, const CClientVersionBody& body) {
    WriteElement(out, "version", body.version);
    WriteElement(out, "url", body.url);
    WriteElement(out, "parameters", body.parameters);
    WriteElement(out, "checksum", body.checksum);
}

void ReadFields(const std::string& doc, CClientVersionBody& body) {
    body.version = GetElementText(doc, "version");
    body.url = GetElementText(doc, "url");
    body.parameters = GetElementText(doc, "parameters");
    body.checksum = GetElementText(doc, "checksum");
}

void WriteFields(std::string& out, const CVersionInfoBody& body) {
    WriteElement(out, "Name", body.name);
    WriteElement(out, "Version", body.version);
    WriteElement(out, "Action", body.action);
    WriteElement(out, "Parameters", body.parameters);
    WriteElement(out, "UpdateURL", body.updateURL);
    WriteElement(out, "InfoURL", body.infoURL);
    WriteElement(out, "Checksum", body.checksum);
    WriteElement(out, "Description", body.description);
}

void ReadFields(const std::string& doc, CVersionInfoBody& body) {
    body.name = GetElementText(doc, "Name");
    body.version = GetElementText(doc, "Version");
    body.action = GetElementText(doc, "Action");
    body.parameters = GetElementText(doc, "Parameters");
    body.updateURL = GetElementText(doc, "UpdateURL");
    body.infoURL = GetElementText(doc, "InfoURL");
    body.checksum = GetElementText(doc, "Checksum");
    body.description = GetElementText(doc, "Description");
}

std::unique_ptr<CMessage> CErrorDetailsResponse::Clone() const {
    return std::make_unique<CErrorDetailsResponse>(*this);
}

void CErrorDetailsResponse::WriteEnvelope(std::string& out) const {
    if (RequestId() != -1) WriteIntElement(out, "requestId", RequestId());
}

}  // namespace vantor
