#include "drivers/stream_selection.h"

#include "common/path_rules.h"
#include "common/text_format.h"

namespace vantrel {

namespace {
constexpr const char* kNoVideo = "No video stream";
constexpr const char* kNoAudio = "No audio stream";
constexpr const char* kNoSubpicture = "No subpicture";

template <size_t N>
void clearBoxes(std::array<StreamBox, N>& boxes, const char* caption) {
  for (StreamBox& box : boxes) {
    box.enabled = false;
    box.caption = caption;
    box.ticked = false;
  }
}

template <size_t N, typename NameOf>
void labelBoxes(std::array<StreamBox, N>& boxes, size_t count, const int32_t* values,
                int suffixDigits, NameOf nameOf) {
  for (size_t slot = 0; slot < count; ++slot) {
    StreamBox& box = boxes[slot];
    box.enabled = values[slot] >= 0;
    box.ticked = box.enabled;
    if (box.ticked) box.caption = nameOf(values[slot]) + "." + zeroPadded(int64_t(slot), suffixDigits);
  }
}
}  // namespace

StreamBoxes::StreamBoxes() {
  for (StreamBox& box : video) box.caption = "Video stream";
  for (StreamBox& box : audio) box.caption = "Audio stream";
  for (StreamBox& box : subpicture) {
    box.caption = "Subpicture";
    box.hint = "Check the desired subpicture streams";
  }
}

bool StreamBoxes::anyTicked() const {
  for (const StreamBox& box : video)
    if (box.ticked) return true;
  for (const StreamBox& box : audio)
    if (box.ticked) return true;
  for (const StreamBox& box : subpicture)
    if (box.ticked) return true;
  return false;
}

Selection StreamBoxes::selection() const {
  Selection s;
  for (int i = 0; i < kVideoSlots; ++i) s.video[i] = video[i].ticked;
  for (int i = 0; i < kAudioSlots; ++i) s.audio[i] = audio[i].ticked;
  for (int i = 0; i < kSubpictureSlots; ++i) s.subpicture[i] = subpicture[i].ticked;
  return s;
}

std::string VideoStreamName(int32_t value) {
  if (value == -1) return kNoVideo;
  if (value == 0x55 || value == 0x56) return "VC-1.stream";
  if (value == 0xE0 || value == 0xE1) return "MPEG-2.stream";
  if (value == 0xE2 || value == 0xE3) return "H.264.stream";
  return {};
}

std::string AudioStreamName(int32_t value) {
  if (value == -1) return kNoAudio;
  if (value >= 0x80 && value <= 0x87) return "DD.stream";
  if (value >= 0x88 && value <= 0x8F) return "DTSHD.stream";
  if (value >= 0xA0 && value <= 0xA7) return "LPCM.stream";
  if (value >= 0xB0 && value <= 0xB7) return "MLP.stream";
  if (value >= 0xC0 && value <= 0xCF) return "DD+.stream";
  return {};
}

std::string SubpictureStreamName(int32_t value) {
  if (value == -1) return "No subpicture stream";
  if (value >= 0x20 && value <= 0x3F) return "Subpicture";
  if (value >= 0x60 && value <= 0x7F) return "Ext.Subpicture";
  return {};
}

void Resetcbs(StreamBoxes& boxes, OperationButtons& buttons, const std::string& sourcePath) {
  clearBoxes(boxes.video, kNoVideo);
  clearBoxes(boxes.audio, kNoAudio);
  clearBoxes(boxes.subpicture, kNoSubpicture);
  cbVideoClick(boxes, buttons, sourcePath);
}

void LabelStreamBoxes(StreamBoxes& boxes, const std::array<int32_t, kVideoSlots>& video,
                      const std::array<int32_t, kAudioSlots>& audio,
                      const std::array<int32_t, kSubpictureSlots>& subpicture) {
  labelBoxes(boxes.video, kVideoSlots, video.data(), 1, VideoStreamName);
  labelBoxes(boxes.audio, kAudioSlots, audio.data(), 2, AudioStreamName);
  labelBoxes(boxes.subpicture, kSubpictureSlots, subpicture.data(), 2, SubpictureStreamName);
}

void cbVideoClick(const StreamBoxes& boxes, OperationButtons& buttons,
                  const std::string& sourcePath) {
  buttons.demux = boxes.anyTicked();
  if (upperExtensionOf(fileNamePart(sourcePath)) == ".EVO") buttons.rebuild = buttons.demux;
}

}  // namespace vantrel
