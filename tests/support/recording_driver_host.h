#pragma once

#include <vector>

#include "tests/support/recording_host.h"
#include "workspace/workspace.h"

namespace vantrel::testing {

// Records what the operations tell the user and how the controls change.
class RecordingDriverHost : public BasicRecordingHost<DriverHost> {
 public:
  void controlsChanged(const StreamBoxes& b, const OperationButtons& o) override {
    boxes = b;
    buttons = o;
    buttonHistory.push_back(o);
  }
  StreamBoxes boxes;
  OperationButtons buttons;
  std::vector<OperationButtons> buttonHistory;
};

}  // namespace vantrel::testing
