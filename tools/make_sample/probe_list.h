#pragma once

// Reading what ffprobe prints with "-of compact": one line per section,
// "section|key=value|key=value...". Only the sections asked for are kept.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::sample {

using ProbeRecord = std::map<std::string, std::string>;

// The records of every line that starts with `section` followed by "|".
std::vector<ProbeRecord> parseCompactSection(std::string_view text, std::string_view section);

// A field as a whole number; nullopt when absent, "N/A" or not a number.
std::optional<long long> probeInteger(const ProbeRecord& record, const std::string& key);

// "num/den" (for time_base); nullopt when malformed or a zero denominator.
struct Rational {
  long long num = 0;
  long long den = 1;
};
std::optional<Rational> parseRational(std::string_view text);

}  // namespace vantrel::sample
