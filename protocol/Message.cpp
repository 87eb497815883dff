#include "protocol/Message.h"

#include <typeinfo>

#include "protocol/Xml.h"

namespace vantor {

CMessage::~CMessage() = default;

std::string CMessage::ToXml() const {
    const std::string name = TypeName();
    std::string out;
    out.reserve(256);
    out.append("<").append(name).append(">");
    WriteEnvelope(out);
    WriteBody(out);
    out.append("\n</").append(name).append(">");
    return out;
}

bool CMessage::FromXml(const std::string& doc) {
    ReadBody(doc);
    return true;
}

void CMessage::WriteBody(std::string& /*out*/) const {}

void CMessage::ReadBody(const std::string& /*doc*/) {}

void CMessage::WriteEnvelope(std::string& /*out*/) const {}

std::unique_ptr<CMessage> CMessage::Clone() const {
    return std::make_unique<CMessage>(*this);
}

bool CMessage::Equals(const CMessage& other) const {
    return typeid(*this) == typeid(other) && m_typeId == other.m_typeId && m_kind == other.m_kind &&
           m_types == other.m_types;
}

bool CRequestMessage::FromXml(const std::string& doc) {
    m_requestId = GetElementInt(doc, "requestId");
    ReadBody(doc);
    return true;
}

void CRequestMessage::WriteEnvelope(std::string& out) const {
    if (m_requestId != -1) WriteIntElement(out, "requestId", m_requestId);
}

std::unique_ptr<CMessage> CRequestMessage::Clone() const {
    return std::make_unique<CRequestMessage>(*this);
}

bool CRequestMessage::Equals(const CMessage& other) const {
    return CMessage::Equals(other) &&
           static_cast<const CRequestMessage&>(other).m_requestId == m_requestId;
}

bool CResponseMessage::FromXml(const std::string& doc) {
    m_requestId = GetElementInt(doc, "requestId");
    m_returnCode = GetElementInt(doc, "returnCode");
    ReadBody(doc);
    return true;
}

void CResponseMessage::WriteEnvelope(std::string& out) const {
    if (m_requestId != -1) WriteIntElement(out, "requestId", m_requestId);
    WriteIntElement(out, "returnCode", m_returnCode);
}

std::unique_ptr<CMessage> CResponseMessage::Clone() const {
    return std::make_unique<CResponseMessage>(*this);
}

bool CResponseMessage::Equals(const CMessage& other) const {
    const auto& response = static_cast<const CResponseMessage&>(other);
    return CMessage::Equals(other) && response.m_requestId == m_requestId &&
           response.m_returnCode == m_returnCode;
}

}  // namespace vantor
