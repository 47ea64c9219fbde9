#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/selection.h"
#include "engine/stream_table.h"

namespace vantrel {

// One stream check box of the Video, Audio or Subpicture page.
struct StreamBox {
  bool enabled = false;
  bool ticked = false;
  std::string caption;
  std::string hint;
  bool operator==(const StreamBox&) const = default;
};

// The 56 stream check boxes (cbVideo0-7, cbAudio00-15, cbSub00-31). The
// window mirrors this model; only cbVideo0 and cbVideo1 ever hold a stream.
struct StreamBoxes : PerKind<StreamBox, kVideoBoxes> {
  StreamBoxes();
  bool anyTicked() const;
  Selection selection() const;  // the ticked state of the slots the engine uses
  bool operator==(const StreamBoxes&) const = default;
};

// Enabled state of the operation buttons that the drivers switch.
struct OperationButtons {
  bool readEVO = false;
  bool readXPL = false;
  bool demux = false;
  bool rebuild = false;
  bool cancel = false;
  bool writeChaps = false;
  bool browseEVO = true;  // bbEVO
  bool browseXPL = true;  // bbXPL
  bool operator==(const OperationButtons&) const = default;
};

// The kind name of a catalogue value ("DD+.stream"; "No audio stream" for
// an empty slot); empty for a value of no known kind.
std::string streamName(StreamKind kind, int32_t value);

// The caption of a stream's box: its kind name and slot ("DD+.stream.03").
std::string streamCaption(StreamKind kind, int32_t value, int slot);

// Disables, unticks and clears every box ("No video stream", "No audio
// stream", "No subpicture"), then applies the selection to the buttons.
void Resetcbs(StreamBoxes& boxes, OperationButtons& buttons, const std::string& sourcePath);

// Enables, ticks and captions a box per catalogued stream
// ("MPEG-2.stream.0", "DD+.stream.03", "Ext.Subpicture.12").
void LabelStreamBoxes(StreamBoxes& boxes, const PerKind<int32_t>& catalogue);

// The rule every change of a box's tick runs: Demux is enabled when any box
// is ticked; for an ".EVO" source Rebuild follows Demux, for others it keeps
// its state.
void updateOperationButtons(const StreamBoxes& boxes, OperationButtons& buttons,
                            const std::string& sourcePath);

}  // namespace vantrel
