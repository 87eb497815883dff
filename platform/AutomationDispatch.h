#pragma once

#include "platform/AutomationServer.h"

#include <functional>
#include <map>
#include <string>
#include <utility>

namespace vantor {

// A published object whose members are a table of handlers, for programs that publish many
// small objects: made, then given its members. Members are matched by name and kind; a wrong
// argument count or type is the handler's to answer (see the Arg helpers).
class CDispatchObject : public IAutomationObject {
public:
    using Handler = std::function<HRESULT(const CVariantList& arguments, CVariant& result)>;

    HRESULT Invoke(const std::string& member, InvokeKind kind, const CVariantList& arguments,
                   CVariant& result) override;

    // Building the member table; before the object is published.
    void Method(const std::string& name, Handler handler);
    void Getter(const std::string& name, std::function<CVariant()> getter);
    // A property read with arguments (a collection's Item), also callable as a method.
    void Indexed(const std::string& name, Handler handler);
    // The handler receives the one new value.
    void Setter(const std::string& name, std::function<HRESULT(const CVariant&)> setter);
    // Runs before every member; an error answer stops the call (calls refused for now).
    void Guard(std::function<HRESULT()> guard) { m_guard = std::move(guard); }

private:
    std::map<std::pair<InvokeKind, std::string>, Handler> m_members;
    std::function<HRESULT()> m_guard;
};

// Reads argument `index` as T; false when it is missing or of another type.
template <typename T>
bool Arg(const CVariantList& arguments, size_t index, T& out) {
    return index < arguments.size() && FromVariant(arguments[index], out);
}

}  // namespace vantor
