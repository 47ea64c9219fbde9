#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/run_observer.h"

namespace vantrel {

// What Read EVO learnt about one stream over a whole chain: the file where
// it was first met, its first time stamp there and its codec header.
struct StreamFacts {
  FoundStream found;
  std::string firstFile;
  std::optional<uint32_t> firstPts;
  std::optional<LpcmHeader> lpcm;
};

// Listens to a Read EVO run and keeps, per stream slot, the facts of the
// first file that held it (the catalogue itself only describes the last
// file), and the outputs created. Every call is passed on to `next`, the
// observer it stands in for.
class TitleFacts : public RunObserver {
 public:
  explicit TitleFacts(RunObserver* next) : next_(next) {}

  const StreamFacts* find(StreamKind kind, int slot) const;
  const std::vector<StreamFacts>& streams() const { return streams_; }
  // Every output a driver created while it listened.
  const std::vector<std::string>& outputs() const { return outputs_; }

  void fileOpened(const std::string& path, int64_t size) override;
  void navigationRead(const NavigationInfo& nav, int videoCount, int audioCount,
                      double durationSeconds) override;
  void copyControlRead(const CopyControlInfo& cc) override;
  void streamFound(const FoundStream& stream) override;
  void streamDetails(const StreamStart& start, const StreamAnalysis& analysis) override;
  void streamMet(const MetStream& stream) override;
  void streamNotWritten(const MetStream& stream) override;
  void outputCreated(const std::string& path) override;
  void outputClosed(const std::string& path, int64_t bytes) override;
  void errorReported(std::string_view message) override;

 private:
  StreamFacts* at(StreamKind kind, int slot);
  RunObserver* next_;
  std::string file_;
  std::vector<StreamFacts> streams_;
  std::vector<std::string> outputs_;
};

}  // namespace vantrel
