#include "tools/make_sample/encoded_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace vantrel::sample {

namespace {

struct PacketSpan {
  size_t pos = 0;
  size_t size = 0;
  bool key = false;
  long long duration = 0;
};

// Packets must cover the stream from its first byte to its last without
// gaps or overlaps, or the access units would not be the stream.
std::vector<PacketSpan> tile(const Bytes& stream, const std::vector<ProbeRecord>& packets) {
  std::vector<PacketSpan> spans;
  size_t expected = 0;
  for (const ProbeRecord& record : packets) {
    auto pos = probeInteger(record, "pos");
    auto size = probeInteger(record, "size");
    if (!pos || !size || *size <= 0) throw std::runtime_error("packet without position or size");
    if (size_t(*pos) != expected) throw std::runtime_error("packets do not tile the stream");
    PacketSpan span;
    span.pos = size_t(*pos);
    span.size = size_t(*size);
    auto flags = record.find("flags");
    span.key = flags != record.end() && flags->second.find('K') != std::string::npos;
    span.duration = probeInteger(record, "duration").value_or(0);
    expected += span.size;
    if (expected > stream.size()) throw std::runtime_error("packets run past the stream's end");
    spans.push_back(span);
  }
  if (expected != stream.size()) throw std::runtime_error("packets do not reach the stream's end");
  return spans;
}

AccessUnit unitOf(const Bytes& stream, const PacketSpan& span) {
  AccessUnit unit;
  unit.data.assign(stream.begin() + long(span.pos), stream.begin() + long(span.pos + span.size));
  return unit;
}

}  // namespace

std::vector<AccessUnit> videoUnits(const Bytes& stream, const std::vector<ProbeRecord>& packets,
                                   const std::vector<long long>& presentationPositions,
                                   uint32_t frameTicks, uint64_t firstPts) {
  std::vector<PacketSpan> spans = tile(stream, packets);
  std::map<long long, size_t> decodeIndexAt;
  for (size_t i = 0; i < spans.size(); ++i) decodeIndexAt[(long long)spans[i].pos] = i;
  if (presentationPositions.size() != spans.size()) {
    throw std::runtime_error("pictures and packets differ in number");
  }
  std::vector<long long> shown(spans.size(), -1);
  for (size_t order = 0; order < presentationPositions.size(); ++order) {
    auto it = decodeIndexAt.find(presentationPositions[order]);
    if (it == decodeIndexAt.end() || shown[it->second] >= 0) {
      throw std::runtime_error("a picture matches no packet or one packet twice");
    }
    shown[it->second] = (long long)order;
  }
  // Decoding leads presentation by the deepest reordering.
  long long lead = 0;
  for (size_t i = 0; i < spans.size(); ++i) lead = std::max(lead, (long long)i - shown[i]);
  const uint64_t leadTicks = uint64_t(lead) * frameTicks;
  if (leadTicks > firstPts) throw std::runtime_error("first PTS too small for the reordering");

  std::vector<AccessUnit> units;
  units.reserve(spans.size());
  for (size_t i = 0; i < spans.size(); ++i) {
    AccessUnit unit = unitOf(stream, spans[i]);
    unit.pts = firstPts + uint64_t(shown[i]) * frameTicks;
    uint64_t dts = firstPts - leadTicks + uint64_t(i) * frameTicks;
    if (dts != unit.pts) unit.dts = dts;
    unit.duration = frameTicks;
    unit.randomAccess = spans[i].key;
    units.push_back(std::move(unit));
  }
  return units;
}

std::vector<AccessUnit> audioUnits(const Bytes& stream, const std::vector<ProbeRecord>& packets,
                                   Rational timeBase, uint64_t firstPts) {
  std::vector<PacketSpan> spans = tile(stream, packets);
  std::vector<AccessUnit> units;
  units.reserve(spans.size());
  long long elapsed = 0;  // in time base units
  auto ticks = [&](long long t) { return uint64_t(t) * 90000ull * uint64_t(timeBase.num) / uint64_t(timeBase.den); };
  for (const PacketSpan& span : spans) {
    if (span.duration <= 0) throw std::runtime_error("audio packet without a duration");
    AccessUnit unit = unitOf(stream, span);
    unit.pts = firstPts + ticks(elapsed);
    elapsed += span.duration;
    unit.duration = uint32_t(firstPts + ticks(elapsed) - unit.pts);
    unit.randomAccess = true;
    units.push_back(std::move(unit));
  }
  return units;
}

std::vector<AccessUnit> lpcmUnits(const Bytes& samples, int channels, int sampleRate,
                                  int samplesPerUnit, uint64_t firstPts, int bits) {
  if (channels <= 0 || sampleRate <= 0 || samplesPerUnit <= 0) {
    throw std::invalid_argument("LPCM layout needs channels, a sample rate and a unit size");
  }
  const size_t periodsPerGranule = bits == 16 ? 1 : 4;  // whole groups of samples
  const size_t granuleBytes = periodsPerGranule * size_t(channels) * size_t(bits) / 8;
  const size_t unitBytes = granuleBytes * size_t(samplesPerUnit) / periodsPerGranule;
  const size_t whole = samples.size() / granuleBytes * granuleBytes;  // drop a torn sample period
  std::vector<AccessUnit> units;
  uint64_t period = 0;
  for (size_t at = 0; at < whole; at += unitBytes) {
    size_t size = std::min(unitBytes, whole - at);
    AccessUnit unit;
    unit.data.assign(samples.begin() + long(at), samples.begin() + long(at + size));
    unit.pts = firstPts + period * 90000 / uint64_t(sampleRate);
    period += size / granuleBytes * periodsPerGranule;
    unit.duration = uint32_t(firstPts + period * 90000 / uint64_t(sampleRate) - unit.pts);
    unit.randomAccess = true;
    units.push_back(std::move(unit));
  }
  return units;
}

Bytes packDvdLpcm(const Bytes& s24be, int channels, int bits) {
  const size_t group = channels == 1 ? 2 : 4;
  Bytes packed;
  for (size_t at = 0; at + group * 3 <= s24be.size(); at += group * 3) {
    const uint8_t* sample = s24be.data() + at;
    for (size_t k = 0; k < group; ++k) packed.insert(packed.end(), sample + 3 * k, sample + 3 * k + 2);
    for (size_t k = 0; k < group; ++k) {
      if (bits == 24)
        packed.push_back(sample[3 * k + 2]);
      else if (k % 2 == 0)
        packed.push_back(uint8_t((sample[3 * k + 2] & 0xF0) | sample[3 * k + 5] >> 4));
    }
  }
  return packed;
}

SplitUnits splitUnits(std::vector<AccessUnit> units, uint64_t time, bool video) {
  auto cut = std::find_if(units.begin(), units.end(), [&](const AccessUnit& unit) {
    return unit.pts >= time && (!video || unit.randomAccess);
  });
  SplitUnits split;
  split.after.assign(std::make_move_iterator(cut), std::make_move_iterator(units.end()));
  units.erase(cut, units.end());
  split.before = std::move(units);
  return split;
}

std::vector<std::vector<AccessUnit>> splitParts(std::vector<AccessUnit> units, const std::vector<uint64_t>& times,
                                                bool video) {
  std::vector<std::vector<AccessUnit>> parts;
  for (uint64_t time : times) {
    SplitUnits cut = splitUnits(std::move(units), time, video);
    parts.push_back(std::move(cut.before));
    units = std::move(cut.after);
  }
  parts.push_back(std::move(units));
  return parts;
}

Bytes readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open file \"" + path + "\". " + std::strerror(errno));
  Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw std::runtime_error("Cannot read file \"" + path + "\".");
  return bytes;
}

}  // namespace vantrel::sample
