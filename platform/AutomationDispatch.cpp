#include "platform/AutomationDispatch.h"

namespace vantor {

HRESULT CDispatchObject::Invoke(const std::string& member, InvokeKind kind,
                                const CVariantList& arguments, CVariant& result) {
    if (m_guard) {
        const HRESULT hr = m_guard();
        if (Failed(hr)) return hr;
    }
    auto it = m_members.find({kind, member});
    if (it == m_members.end()) {
        return kDISP_E_MEMBERNOTFOUND;
    }
    return it->second(arguments, result);
}

void CDispatchObject::Method(const std::string& name, Handler handler) {
    m_members[{InvokeKind::kMethod, name}] = std::move(handler);
}

void CDispatchObject::Indexed(const std::string& name, Handler handler) {
    m_members[{InvokeKind::kGet, name}] = handler;
    m_members[{InvokeKind::kMethod, name}] = std::move(handler);
}

void CDispatchObject::Getter(const std::string& name, std::function<CVariant()> getter) {
    m_members[{InvokeKind::kGet, name}] = [getter = std::move(getter)](const CVariantList&,
                                                                       CVariant& result) {
        result = getter();
        return kS_OK;
    };
}

void CDispatchObject::Setter(const std::string& name,
                             std::function<HRESULT(const CVariant&)> setter) {
    m_members[{InvokeKind::kPut, name}] = [setter = std::move(setter)](
                                              const CVariantList& arguments, CVariant&) {
        return arguments.size() == 1 ? setter(arguments[0]) : kDISP_E_BADPARAMCOUNT;
    };
}

}  // namespace vantor
