#pragma once

// The parsed facts of a run as JSON values: the same structs the log lines
// are described from, rendered a second way.

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "drivers/frame_report.h"
#include "engine/analyzer_dispatch.h"
#include "engine/navigation.h"
#include "engine/stream_report.h"

namespace vantrel::cli {

// Objects keep their keys in the order they were added.
using Json = nlohmann::ordered_json;


// The codec parameters of a stream's first payload; an empty object when
// nothing was parsed. Values that the header does not give are left out.
Json detailsJson(const StreamAnalysis& analysis);

// The navigation fields of a file (VOB number, first and last video
// presentation times, duration, stream counts).
Json navigationJson(const NavigationInfo& nav, int videoCount, int audioCount,
                    double durationSeconds);
Json copyControlJson(const CopyControlInfo& cc);
Json frameReportJson(const FrameReport& report);

// The ratio out of a marked-up ratio name: "16:11" from
// "[bl]16:11[/bl] (704x576 4:3)"; the whole text when it has no value part.
std::string ratioText(std::string_view name);

}  // namespace vantrel::cli
