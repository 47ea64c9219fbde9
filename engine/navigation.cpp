#include "engine/navigation.h"

#include <array>

#include "common/text_format.h"

namespace vantrel {

namespace {

uint32_t be16(std::span<const uint8_t> b, size_t at) { return uint32_t(b[at]) << 8 | b[at + 1]; }
uint32_t be32(std::span<const uint8_t> b, size_t at) { return be16(b, at) << 16 | be16(b, at + 2); }

// Copy-control and analog-protection names by their 3-bit codes.
constexpr std::array<const char*, 8> kCopyControlNames = {
    "Copy Freely", "", "No More Copies", "Encryption Plus Non-Assertion",
    "Copy One Generation", "Copy Never", "", ""};
constexpr std::array<const char*, 8> kProtectionNames = {
    "off", "Type 1 of APS1 is ON", "Type 2 of APS1 is ON", "Type 3 of APS1 is ON",
    "", "", "APS2 is ON", "APS2 is ON"};

}  // namespace

std::optional<NavigationInfo> parseNavigation(std::span<const uint8_t> body, FileKind kind) {
  using namespace dsi;
  if (body.size() < subpictureSyncAt(kind) + 4 * kSubpictureSyncEntries) return std::nullopt;
  NavigationInfo nav;
  nav.vobNumber = uint16_t(be16(body, kVobNumberAt));
  nav.firstVideoPtm = be32(body, kFirstVideoPtmAt);
  nav.lastVideoPtm = be32(body, kLastVideoPtmAt);
  for (size_t i = 0; i < kAudioSyncEntries; ++i)
    if (be16(body, audioSyncAt(kind) + 2 * i) != 0) ++nav.audioEntries;
  for (size_t i = 0; i < kSubpictureSyncEntries; ++i)
    if (be32(body, subpictureSyncAt(kind) + 4 * i) != 0) ++nav.subpictureEntries;
  return nav;
}

std::vector<std::string> describeNavigation(const NavigationInfo& nav, int videoCount,
                                            int audioCount, double durationSeconds) {
  const int sub = nav.subpictureEntries;
  std::string counts = "VOB number " + std::to_string(nav.vobNumber) + " contains [b]" +
                       std::to_string(videoCount) + "[/b] video " + (sub > 0 ? "," : "and") +
                       " [b]" + std::to_string(audioCount) + "[/b] audio ";
  if (sub > 0) counts += "and [b]" + std::to_string(sub) + "[/b] subpicture ";
  counts += std::string("stream") + (videoCount + audioCount + sub > 1 ? "s." : ".");
  return {counts,
          "PTM of first video frame = [re]" + hex8(nav.firstVideoPtm) + "[/re]",
          "PTM of last video frame = " + hex8(nav.lastVideoPtm),
          "Duration = [b]" + durationText(durationSeconds) + "[/b]"};
}

std::optional<CopyControlInfo> parseCopyControl(std::span<const uint8_t> body) {
  if (body.size() < kCopyControlBytesNeeded) return std::nullopt;
  CopyControlInfo cc;
  cc.scrambled = (body[12] & 0xC0) != 0;
  const uint8_t valid = body[24];
  cc.cciValid = valid & 0x80;
  cc.apsValid = valid & 0x40;
  cc.ictValid = valid & 0x20;
  cc.dotValid = valid & 0x10;
  const uint8_t status = body[26];
  cc.cci = status >> 5;
  cc.aps = (status >> 2) & 7;
  cc.ict = status & 0x02;
  cc.dot = status & 0x01;
  return cc;
}

std::string_view copyControlName(int cci) {
  return kCopyControlNames[size_t(cci & 7)];
}
std::string_view protectionName(int aps) {
  return kProtectionNames[size_t(aps & 7)];
}

std::vector<std::string> describeCopyControl(const CopyControlInfo& cc) {
  std::vector<std::string> lines;
  if (cc.scrambled) lines.push_back("[b]This file is ENCRYPTED![/b] Decrypt it before any process.");
  if (cc.cciValid && cc.cci != 0)
    lines.push_back(std::string("[b]") + kCopyControlNames[size_t(cc.cci)] + "[/b]");
  if (cc.apsValid && cc.aps != 0)
    lines.push_back(std::string("[b]") + kProtectionNames[size_t(cc.aps)] + "[/b]");
  if (cc.ictValid && cc.ict) lines.push_back("[b]ICT on, constrained analog output[/b]");
  if (cc.dotValid && cc.dot) lines.push_back("[b]DOT on, analog output not allowed[/b]");
  return lines;
}

}  // namespace vantrel
