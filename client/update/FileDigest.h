#pragma once

#include <string>

namespace vantor::client {

// The MD5 digest of a file as 32 lower-case hexadecimal digits, read in blocks of 1024
// bytes; "" when the file can't be read.
std::string Md5OfFile(const std::string& path);

}  // namespace vantor::client
