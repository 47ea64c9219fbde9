#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/analyzer_dispatch.h"
#include "engine/navigation.h"
#include "engine/stream_meeting.h"
#include "engine/stream_report.h"

namespace vantrel {

// Hears the facts of a run as the engine and the drivers find them, at the
// points where they log them, as the parsed values the log lines are made
// from. For front ends that want data rather than text (the command line's
// JSON report). Every call is made on the thread that runs the operation.
class RunObserver {
 public:
  virtual ~RunObserver() = default;

  // A driver opened an input file of the chain.
  virtual void fileOpened(const std::string& path, int64_t size) {
    (void)path;
    (void)size;
  }
  // A scan pass read the file's first navigation pack; the counts are the
  // ones its "VOB number ..." line gives.
  virtual void navigationRead(const NavigationInfo& nav, int videoCount, int audioCount,
                              double durationSeconds) {
    (void)nav;
    (void)videoCount;
    (void)audioCount;
    (void)durationSeconds;
  }
  // A pass read the file's first copy-control packet.
  virtual void copyControlRead(const CopyControlInfo& cc) { (void)cc; }
  // A scan pass catalogued a stream.
  virtual void streamFound(const FoundStream& stream) { (void)stream; }
  // A scan pass with details reported a stream's start and its codec header.
  virtual void streamDetails(const StreamStart& start, const StreamAnalysis& analysis) {
    (void)start;
    (void)analysis;
  }
  // A writing run met a stream that has no box (Read EVO did not list it),
  // where and with which time stamp.
  virtual void streamMet(const MetStream& stream) { (void)stream; }
  // A writing run met a stream that has no box and did not write it.
  virtual void streamNotWritten(const MetStream& stream) { (void)stream; }
  // A driver created an output file, and closed it with `bytes` stored.
  virtual void outputCreated(const std::string& path) { (void)path; }
  virtual void outputClosed(const std::string& path, int64_t bytes) {
    (void)path;
    (void)bytes;
  }
  // A driver removed an output it had closed (it held nothing of use).
  virtual void outputRemoved(const std::string& path) { (void)path; }
  // An operation reported an error (the text of its red log line).
  virtual void errorReported(std::string_view message) { (void)message; }
};

}  // namespace vantrel
