#include "protocol/XmlObject.h"

namespace vantor {

CXmlObject::~CXmlObject() = default;

std::string CXmlObject::ToXml() const {
    return {};
}

bool CXmlObject::FromXml(const std::string& /*doc*/) {
    return false;
}

}  // namespace vantor
