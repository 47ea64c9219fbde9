// Placeholder bodies; each codec gets its own source.
#include "analyzers/analyzers.h"

namespace vantrel {
std::optional<double> analyzeMpeg2Video(const Payload&, uint32_t, Host&) { return std::nullopt; }
std::optional<double> analyzeVc1(const Payload&, Host&) { return std::nullopt; }
std::optional<double> analyzeH264(const Payload&, Host&) { return 24000.0 / 1001.0; }
}  // namespace vantrel
