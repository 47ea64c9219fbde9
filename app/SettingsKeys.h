#pragma once

// Where the window keeps its options between runs, and the name of every
// stored value. On Windows QSettings maps this to the registry key
// HKCU\Software\Corvane Software\Vantrel; on Linux to a file in the user's
// config folder.

namespace vantrel::settings {

inline constexpr const char* kOrganization = "Corvane Software";
inline constexpr const char* kApplication = "Vantrel";

// Window placement.
inline constexpr const char* kWidth = "Width";
inline constexpr const char* kHeight = "Height";
inline constexpr const char* kTop = "Top";
inline constexpr const char* kLeft = "Left";
inline constexpr const char* kWindowState = "WindowState";  // 0 normal, 1 minimised, 2 maximised
inline constexpr const char* kTreeWidth = "TreeWidth";

// Extensions, folders.
inline constexpr const char* kAudioExt = "AudioExt";
inline constexpr const char* kVideoExt = "VideoExt";
inline constexpr const char* kSubExt = "SubExt";
inline constexpr const char* kWorkdir = "Workdir";
inline constexpr const char* kEVOdir = "EVOdir";
inline constexpr const char* kXPLdir = "XPLdir";

// Options page.
inline constexpr const char* kContinue = "Continue";
inline constexpr const char* kFastCheck = "FastCheck";
inline constexpr const char* kCountFrames = "CountFrames";
inline constexpr const char* kDetails = "Details";
inline constexpr const char* kAutoRead = "AutoRead";
inline constexpr const char* kAutoDemux = "AutoDemux";
inline constexpr const char* kAutoRebuild = "AutoRebuild";
inline constexpr const char* kAutoClear = "AutoClear";
inline constexpr const char* kFastSize = "FastSize";
inline constexpr const char* kAngle = "Angle";
inline constexpr const char* kAdvPck = "ADV_PCK";
inline constexpr const char* kAdjustPTS = "AdjustPTS";
inline constexpr const char* kReadVTI = "ReadVTI";

// The local date and time of the first save; written once, never read.
inline constexpr const char* kInstall = "Install";

inline constexpr int kStateNormal = 0;
inline constexpr int kStateMinimised = 1;
inline constexpr int kStateMaximised = 2;

}  // namespace vantrel::settings
