// The program's version.
#pragma once

#include <string_view>

namespace sonora {

inline constexpr std::string_view kVersion = "0.1.0";

} // namespace sonora
