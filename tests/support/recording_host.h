#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/host.h"

namespace vantrel {

// A host that remembers everything it is told; used by tests, fuzzers and
// benchmarks. `Base` lets hosts with more to record (the drivers' host)
// share the recording.
template <typename Base = Host>
class BasicRecordingHost : public Base {
 public:
  void log(std::string_view line) override { lines.emplace_back(line); }
  void slog(std::string_view text, int panel) override {
    if (panel == 0 || panel == 1) panels[panel] = std::string(text);
    statusHistory.emplace_back(std::to_string(panel) + ":" + std::string(text));
  }
  void clearLog() override { lines.clear(); }
  void pump() override {
    ++pumps;
    if (onPump) onPump();
  }
  void repaint() override { ++repaints; }
  bool askYesNo(std::string_view question) override {
    questions.emplace_back(question);
    if (answers.empty()) return defaultAnswer;
    bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void showPage(int index) override { pages.push_back(index); }
  void setCancelEnabled(bool enabled) override { cancelEnabledHistory.push_back(enabled); }

  bool has(std::string_view line) const {
    for (const auto& l : lines)
      if (l == line) return true;
    return false;
  }
  // The log lines joined with '\n', handy for EXPECT_THAT on substrings.
  std::string text() const {
    std::string all;
    for (const auto& l : lines) {
      all += l;
      all += '\n';
    }
    return all;
  }

  std::vector<std::string> lines;
  std::string panels[2];
  std::vector<std::string> statusHistory;
  std::vector<std::string> questions;
  std::deque<bool> answers;  // answers to askYesNo, in order; then defaultAnswer
  bool defaultAnswer = false;
  std::vector<int> pages;
  std::vector<bool> cancelEnabledHistory;
  int pumps = 0;
  int repaints = 0;
  std::function<void()> onPump;
};

using RecordingHost = BasicRecordingHost<>;

}  // namespace vantrel
