#pragma once

#include "platform/AutomationTypes.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace vantor {

// A proxy of an object that another program publishes (see CAutomationServer). A proxy
// belongs to the thread that obtained it: used on any other thread every call answers
// kRPC_E_WRONG_THREAD; other threads fetch their own from CGlobalInterfaceTable. Each thread
// reaches a program over a connection of its own, so a slow call on one thread never holds up
// another.
//
// Calls block until the program answered, for at most the call timeout (kRPC_E_TIMEOUT).
// A program that has gone answers kRPC_S_SERVER_UNAVAILABLE at once, and so does every
// proxy of its objects afterwards, also when the program was started again.
class CAutomationObject {
public:
    CAutomationObject() = default;

    bool IsNull() const { return m_ref.IsNull(); }
    const CObjectRef& Ref() const { return m_ref; }
    // The reference as an argument of another call to the same program.
    CVariant AsArgument() const { return m_ref; }

    HRESULT Invoke(const std::string& member, InvokeKind kind, const CVariantList& arguments,
                   CVariant* result) const;

    // Reads a property (with arguments for indexed ones); kDISP_E_TYPEMISMATCH when the
    // program answered with another type.
    template <typename T>
    HRESULT Get(const std::string& name, T& out, const CVariantList& arguments = {}) const {
        return Typed(name, InvokeKind::kGet, arguments, out);
    }
    HRESULT Put(const std::string& name, CVariant value) const {
        return Invoke(name, InvokeKind::kPut, {std::move(value)}, nullptr);
    }
    HRESULT Call(const std::string& name, const CVariantList& arguments = {}) const {
        return Invoke(name, InvokeKind::kMethod, arguments, nullptr);
    }
    template <typename T>
    HRESULT Call(const std::string& name, const CVariantList& arguments, T& out) const {
        return Typed(name, InvokeKind::kMethod, arguments, out);
    }

private:
    friend class CAutomationObjectAccess;

    template <typename T>
    HRESULT Typed(const std::string& name, InvokeKind kind, const CVariantList& arguments,
                  T& out) const {
        CVariant result;
        const HRESULT hr = Invoke(name, kind, arguments, &result);
        if (Failed(hr)) return hr;
        return Convert(result, out) ? hr : kDISP_E_TYPEMISMATCH;
    }
    template <typename T>
    static bool Convert(const CVariant& value, T& out) {
        return FromVariant(value, out);
    }
    bool Convert(const CVariant& value, CAutomationObject& out) const;

    std::string m_endpoint;  // socket of the publishing program
    CObjectRef m_ref;
    std::thread::id m_thread;
};

// Receives the events of one subscription, on the subscription's own thread. Its answer is
// for the sink's own bookkeeping: the publishing program does not wait for it.
class IAutomationEventSink {
public:
    virtual ~IAutomationEventSink() = default;
    virtual HRESULT OnEvent(uint32_t dispatchId, const CVariantList& arguments) = 0;
};

// Creates (reaches) the application object of a published class, for the calling thread.
// When no program publishes it and `programPath` is given, the program is started and
// waited for up to 10 s. kREGDB_E_CLASSNOTREG without a program, kCO_E_SERVER_EXEC_FAILURE
// when it cannot be started or does not publish the class in time. `directory` overrides the
// windows folder (empty: the default, see WindowsDirectory).
HRESULT CreateAutomationObject(const std::string& progId, const std::string& programPath,
                               CAutomationObject& out, const std::string& directory = {});

// Subscribes the sink to the object's events; the sink must outlive AutomationUnadvise.
// The cookie is never 0.
HRESULT AutomationAdvise(const CAutomationObject& source, IAutomationEventSink* sink,
                         uint32_t& cookie);
// Ends a subscription and waits for a running event callback, unless called from it.
void AutomationUnadvise(uint32_t cookie);

// The call timeout of every thread, in milliseconds (default 5000).
void SetAutomationCallTimeout(int milliseconds);
int AutomationCallTimeout();

// The process-wide table that hands every thread its own proxy of a registered object.
// Thread-safe.
class CGlobalInterfaceTable {
public:
    static CGlobalInterfaceTable& Instance();
    // Never 0.
    uint32_t Register(const CAutomationObject& object);
    // A proxy for the calling thread; kE_INVALIDARG when nothing is registered under it.
    HRESULT Get(uint32_t cookie, CAutomationObject& out);
    void Revoke(uint32_t cookie);

private:
    std::mutex m_mutex;
    std::map<uint32_t, CAutomationObject> m_objects;
    uint32_t m_next = 1;
};

}  // namespace vantor
