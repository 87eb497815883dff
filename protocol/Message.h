#pragma once

// The envelope every message shares. A message is written as one document whose root
// element is its type name; requests add "requestId", responses "requestId" and
// "returnCode". Bodies add their own elements through WriteBody/ReadBody.
// Ownership: a message belongs to whoever holds its pointer last. Not thread-safe; a
// message is handed from thread to thread, never shared.

#include <cstdint>
#include <memory>
#include <string>

#include "protocol/MessageType.h"
#include "protocol/XmlObject.h"

namespace vantor {

enum MessageKind : int32_t { kRequest = 1, kResponse = 2, kEvent = 3 };

// A plain message is an event (and the base of VersionInformation).
class CMessage : public CXmlObject {
public:
    explicit CMessage(int32_t typeId = msg::Undefined) : CMessage(typeId, kEvent) {}
    ~CMessage() override;

    std::string ToXml() const override;
    // Reads the envelope fields that travel, then the body. Always true: missing fields
    // keep their reading defaults and the root name is not checked.
    bool FromXml(const std::string& doc) override;
    virtual void WriteBody(std::string& out) const;
    virtual void ReadBody(const std::string& doc);

    // A deep copy of the same class (the event feed hands one copy to each queue).
    virtual std::unique_ptr<CMessage> Clone() const;
    // Same class, type id, kind, requestId, returnCode and body. The clientId is routing
    // information, not content, and is not compared.
    virtual bool Equals(const CMessage& other) const;

    // The connection the message came from or goes to; -1 for none or everyone.
    int32_t ClientId() const { return m_clientId; }
    void SetClientId(int32_t clientId) { m_clientId = clientId; }
    // Id in the message's type table (the server's unless SetTypeTable says otherwise).
    int32_t TypeId() const { return m_typeId; }
    void SetTypeId(int32_t typeId) { m_typeId = typeId; }
    MessageKind Kind() const { return m_kind; }
    const msg::CTypeTable& TypeTable() const { return *m_types; }
    // The table must outlive the message; the two built-in tables live for the program.
    void SetTypeTable(const msg::CTypeTable& types) { m_types = &types; }
    std::string TypeName() const { return m_types->NameFromId(m_typeId); }

protected:
    CMessage(int32_t typeId, MessageKind kind) : m_typeId(typeId), m_kind(kind) {}
    // Elements written between the root start tag and the body.
    virtual void WriteEnvelope(std::string& out) const;

private:
    int32_t m_clientId = -1;
    int32_t m_typeId = msg::Undefined;
    MessageKind m_kind = kEvent;
    const msg::CTypeTable* m_types = &msg::ServerTypes();
};

inline bool operator==(const CMessage& a, const CMessage& b) {
    return a.Equals(b);
}

class CRequestMessage : public CMessage {
public:
    explicit CRequestMessage(int32_t typeId = msg::Undefined) : CMessage(typeId, kRequest) {}

    bool FromXml(const std::string& doc) override;
    std::unique_ptr<CMessage> Clone() const override;
    bool Equals(const CMessage& other) const override;

    int32_t RequestId() const { return m_requestId; }
    void SetRequestId(int32_t requestId) { m_requestId = requestId; }

protected:
    void WriteEnvelope(std::string& out) const override;

private:
    int32_t m_requestId = -1;
};

class CResponseMessage : public CMessage {
public:
    explicit CResponseMessage(int32_t typeId = msg::Undefined) : CMessage(typeId, kResponse) {}

    bool FromXml(const std::string& doc) override;
    std::unique_ptr<CMessage> Clone() const override;
    bool Equals(const CMessage& other) const override;

    int32_t RequestId() const { return m_requestId; }
    void SetRequestId(int32_t requestId) { m_requestId = requestId; }
    int32_t ReturnCode() const { return m_returnCode; }
    void SetReturnCode(int32_t returnCode) { m_returnCode = returnCode; }

protected:
    void WriteEnvelope(std::string& out) const override;

private:
    int32_t m_requestId = -1;
    int32_t m_returnCode = -1;
};

// A message of kind Base (CMessage, CRequestMessage or CResponseMessage) carrying the body
// record Fields. A body is a plain record with a defaulted operator== and two free functions
// found beside it: `void WriteFields(std::string&, const Fields&)` and
// `void ReadFields(const std::string&, Fields&)`. Types sharing a body share the class and
// differ in type id only.
template <class Base, class Fields>
class TBodyMessage : public Base {
public:
    explicit TBodyMessage(int32_t typeId) : Base(typeId) {}

    Fields& Body() { return m_body; }
    const Fields& Body() const { return m_body; }

    void WriteBody(std::string& out) const override { WriteFields(out, m_body); }
    void ReadBody(const std::string& doc) override { ReadFields(doc, m_body); }
    std::unique_ptr<CMessage> Clone() const override {
        return std::make_unique<TBodyMessage>(*this);
    }
    bool Equals(const CMessage& other) const override {
        return Base::Equals(other) && static_cast<const TBodyMessage&>(other).m_body == m_body;
    }

private:
    Fields m_body{};
};

}  // namespace vantor
