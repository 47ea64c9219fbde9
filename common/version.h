#pragma once

namespace vantrel {
inline constexpr const char* kProgramName = "Vantrel";
inline constexpr const char* kProgramVersion = "0.627b2";
}  // namespace vantrel
