#include "tools/make_sample/probe_list.h"

#include <charconv>

namespace vantrel::sample {

namespace {
std::optional<long long> toInteger(std::string_view text) {
  long long value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
  return value;
}
}  // namespace

std::vector<ProbeRecord> parseCompactSection(std::string_view text, std::string_view section) {
  std::vector<ProbeRecord> records;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() <= section.size() || line.substr(0, section.size()) != section ||
        line[section.size()] != '|') {
      continue;
    }
    ProbeRecord record;
    size_t at = section.size() + 1;
    while (at <= line.size()) {
      size_t bar = line.find('|', at);
      if (bar == std::string_view::npos) bar = line.size();
      std::string_view field = line.substr(at, bar - at);
      size_t eq = field.find('=');
      if (eq != std::string_view::npos) {
        record.emplace(std::string(field.substr(0, eq)), std::string(field.substr(eq + 1)));
      }
      at = bar + 1;
    }
    records.push_back(std::move(record));
  }
  return records;
}

std::optional<long long> probeInteger(const ProbeRecord& record, const std::string& key) {
  auto it = record.find(key);
  if (it == record.end()) return std::nullopt;
  return toInteger(it->second);
}

std::optional<Rational> parseRational(std::string_view text) {
  size_t slash = text.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  auto num = toInteger(text.substr(0, slash));
  auto den = toInteger(text.substr(slash + 1));
  if (!num || !den || *den <= 0 || *num < 0) return std::nullopt;
  return Rational{*num, *den};
}

}  // namespace vantrel::sample
