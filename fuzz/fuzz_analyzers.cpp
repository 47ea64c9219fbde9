// Every codec analyzer over arbitrary loaded bytes, from an arbitrary
// payload position and length. The bytes are copied into a buffer of their
// own, so that a read past them is caught.
#include <array>
#include <vector>

#include "analyzers/analyzers.h"
#include "tests/support/recording_host.h"
#include "fuzz/fuzz_input.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  const uint8_t which = in.byte();
  const size_t position = in.word();
  const size_t length = in.word();
  std::array<uint8_t, 7> lpcmHeader{};
  for (auto& b : lpcmHeader) b = in.byte();
  std::vector<uint8_t> loaded(in.data(), in.data() + in.size());
  Payload payload;
  payload.loaded = loaded;
  // The engine never hands over a payload past the loaded bytes.
  payload.position = loaded.empty() ? 0 : position % loaded.size();
  payload.length = loaded.empty() ? 0 : length % (loaded.size() - payload.position + 1);
  RecordingHost host;
  switch (which % 7) {
    case 0:
      analyzeMpeg2Video(payload, 0x12345678, host);
      break;
    case 1:
      analyzeVc1(payload, host);
      break;
    case 2:
      analyzeH264(payload, host);
      break;
    case 3:
      analyzeAc3(payload, which >> 3, host);
      break;
    case 4:
      analyzeDts(payload, host);
      break;
    case 5:
      analyzeMlp(payload, host);
      break;
    case 6:
      analyzeLpcm(lpcmHeader, payload, host);
      break;
  }
  return 0;
}
