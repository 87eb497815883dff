#pragma once

#include <string>

namespace vantor {

// Root of everything that writes itself as one XML document (every protocol message).
class CXmlObject {
public:
    virtual ~CXmlObject();
    // The whole document; the root version has no document and returns "".
    virtual std::string ToXml() const;
    // Fills the object from a document; the root version reads nothing and returns false.
    virtual bool FromXml(const std::string& doc);
};

}  // namespace vantor
