#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "drivers/workspace.h"

namespace vantrel::testing {

// A driver host that records what the metadata operations tell the user and
// how the controls change.
class DriverTestHost : public DriverHost {
 public:
  void log(std::string_view line) override { lines.emplace_back(line); }
  void slog(std::string_view text, int panel) override {
    statusHistory.push_back(std::to_string(panel) + ":" + std::string(text));
  }
  void showPage(int index) override { pages.push_back(index); }
  void controlsChanged(const StreamBoxes& boxes, const OperationButtons& buttons) override {
    lastBoxes = boxes;
    buttonHistory.push_back(buttons);
  }

  std::vector<std::string> lines;
  std::vector<std::string> statusHistory;
  std::vector<int> pages;
  StreamBoxes lastBoxes;
  std::vector<OperationButtons> buttonHistory;
};

}  // namespace vantrel::testing
