#include "workspace/stream_boxes.h"

#include <algorithm>

#include "common/path_rules.h"
#include "common/text_format.h"

namespace vantrel {

StreamBoxes::StreamBoxes() {
  for (StreamBox& box : video) box.caption = kindInfo(StreamKind::Video).designCaption;
  for (StreamBox& box : audio) box.caption = kindInfo(StreamKind::Audio).designCaption;
  for (StreamBox& box : subpicture) {
    box.caption = kindInfo(StreamKind::Subpicture).designCaption;
    box.hint = "Check the desired subpicture streams";
  }
}

bool StreamBoxes::anyTicked() const {
  auto ticked = [](const StreamBox& box) { return box.ticked; };
  return std::ranges::any_of(video, ticked) || std::ranges::any_of(audio, ticked) ||
         std::ranges::any_of(subpicture, ticked);
}

Selection StreamBoxes::selection() const {
  Selection s;
  for (StreamKind kind : kStreamKinds)
    std::ranges::transform((*this)[kind], s[kind].begin(),
                           [](const StreamBox& box) { return box.ticked; });
  return s;
}

std::string streamName(StreamKind kind, int32_t value) {
  if (value == -1) return std::string(kindInfo(kind).noStreamName);
  const StreamRange* range = rangeOfCatalogued(kind, value);
  return range ? std::string(range->caption) : std::string();
}

std::string streamCaption(StreamKind kind, int32_t value, int slot) {
  return streamName(kind, value) + "." + zeroPadded(int64_t(slot), kindInfo(kind).suffixDigits);
}

void Resetcbs(StreamBoxes& boxes, OperationButtons& buttons, const std::string& sourcePath) {
  auto clear = [](std::span<StreamBox> kindBoxes, StreamKind kind) {
    for (StreamBox& box : kindBoxes) {
      box.enabled = false;
      box.caption = kindInfo(kind).clearedCaption;
      box.ticked = false;
    }
  };
  clear(boxes.video, StreamKind::Video);  // all eight video boxes
  clear(boxes.audio, StreamKind::Audio);
  clear(boxes.subpicture, StreamKind::Subpicture);
  updateOperationButtons(boxes, buttons, sourcePath);
}

void LabelStreamBoxes(StreamBoxes& boxes, const PerKind<int32_t>& catalogue) {
  for (StreamKind kind : kStreamKinds) {
    std::span<StreamBox> kindBoxes = boxes[kind];
    for (size_t slot = 0; slot < kindBoxes.size(); ++slot) {
      const int32_t value = catalogue[kind][slot];
      StreamBox& box = kindBoxes[slot];
      box.enabled = value >= 0;
      box.ticked = box.enabled;
      if (box.ticked) box.caption = streamCaption(kind, value, int(slot));
    }
  }
}

void updateOperationButtons(const StreamBoxes& boxes, OperationButtons& buttons,
                            const std::string& sourcePath) {
  buttons.demux = boxes.anyTicked();
  if (upperExtensionOf(fileNamePart(sourcePath)) == ".EVO") buttons.rebuild = buttons.demux;
}

}  // namespace vantrel
