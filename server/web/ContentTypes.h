#pragma once

#include <string>
#include <string_view>

namespace vantor {

// Content type for a file extension without the dot. Extensions are compared exactly
// (case matters); an unknown extension gives the empty text.
std::string_view ContentTypeForExtension(std::string_view extension);

// Content type for a file name: the text after its last ".".
std::string_view ContentTypeForPath(std::string_view path);

}  // namespace vantor
