#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vantrel {

// Path rules of the program, in one place. They use the native separator:
// '/' on Linux; on Windows '\', '/' and the drive colon.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

bool isPathSeparator(char c);

// The text after the last separator ("FEATURE_1.EVO").
std::string fileNamePart(std::string_view path);
// The text up to and including the last separator; empty when there is none.
std::string folderPart(std::string_view path);
// From the last dot of the file name part to the end, dot included; empty
// when the file name part has no dot.
std::string extensionOf(std::string_view path);
// The extension in upper case (".EVO", ".VOB", ".AOB").
std::string upperExtensionOf(std::string_view path);
// The name without its extension: "a.b.EVO" -> "a.b".
std::string CutExt(std::string_view name);

// The successor of a file of a multi-file title: FEATURE_1.EVO ->
// FEATURE_2.EVO, A1_1.EVO -> A2_1.EVO, MOVIE.EVO -> MOVIE_Divide.EVO; empty
// when no such file exists. `exists` tells whether a regular file exists.
std::string getnext(std::string_view path,
                    const std::function<bool(const std::string&)>& exists);
std::string getnext(std::string_view path);  // tests the real file system

// The folder with a separator appended when it lacks one, followed by the
// base name; the base name alone when the folder is empty.
std::string outputPrefix(std::string_view folder, std::string_view baseName);

// Makes a text safe as part of one file name: path separators, control
// characters and characters the platform forbids become '_', so that an
// output name can never leave the output folder.
std::string safeFileNamePart(std::string_view text);

}  // namespace vantrel
