#pragma once

#include <cstdint>
#include <string_view>

namespace vantor::itunessim {

// The picture of an artwork format (1 JPEG, 2 PNG, 3 BMP); empty for any other.
std::string_view ArtworkBytes(int32_t format);

}  // namespace vantor::itunessim
