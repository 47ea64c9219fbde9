#include "common/path_rules.h"

#include "common/file_io.h"

namespace vantrel {

bool isPathSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/' || c == ':';
#else
  return c == '/';
#endif
}

namespace {
size_t lastSeparator(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i)
    if (isPathSeparator(path[i - 1])) return i - 1;
  return std::string_view::npos;
}
}  // namespace

std::string fileNamePart(std::string_view path) {
  size_t sep = lastSeparator(path);
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string folderPart(std::string_view path) {
  size_t sep = lastSeparator(path);
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string extensionOf(std::string_view path) {
  size_t sep = lastSeparator(path);
  size_t nameStart = sep == std::string_view::npos ? 0 : sep + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < nameStart) return {};
  return std::string(path.substr(dot));
}

std::string upperExtensionOf(std::string_view path) {
  std::string ext = extensionOf(path);
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return ext;
}

std::string CutExt(std::string_view name) {
  return std::string(name.substr(0, name.size() - extensionOf(name).size()));
}

std::string getnext(std::string_view path,
                    const std::function<bool(const std::string&)>& exists) {
  const std::string name = fileNamePart(path);
  const std::string folder = folderPart(path);
  std::string result;
  size_t underscore = name.find('_');  // only the first underscore counts
  if (underscore != std::string::npos) {
    // Digit after the underscore: FEATURE_1 -> FEATURE_2 (1 to 8 only).
    if (underscore + 1 < name.size()) {
      char digit = name[underscore + 1];
      if (digit >= '1' && digit <= '8') {
        std::string candidate = folder + name.substr(0, underscore + 1) + char(digit + 1) +
                                name.substr(underscore + 2);
        if (exists(candidate)) result = candidate;
      }
    }
    // Digit before the underscore: A1_1 -> A2_1 (0 to 8); wins over the first rule.
    if (underscore >= 1) {
      char digit = name[underscore - 1];
      if (digit >= '0' && digit <= '8') {
        std::string candidate =
            folder + name.substr(0, underscore - 1) + char(digit + 1) + name.substr(underscore);
        if (exists(candidate)) result = candidate;
      }
    }
  }
  if (result.empty()) {
    std::string candidate = folder + CutExt(name) + "_Divide" + ".EVO";
    if (exists(candidate)) result = candidate;
  }
  return result;
}

std::string getnext(std::string_view path) {
  return getnext(path, [](const std::string& p) { return fileExists(p); });
}

std::string outputPrefix(std::string_view folder, std::string_view baseName) {
  if (folder.empty()) return std::string(baseName);
  std::string prefix(folder);
  if (!isPathSeparator(prefix.back())) prefix += kPathSeparator;
  prefix += baseName;
  return prefix;
}

std::string safeFileNamePart(std::string_view text) {
  std::string safe;
  safe.reserve(text.size());
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    bool bad = u < 32 || u == 127 || c == '/' || c == '\\';
#ifdef _WIN32
    bad = bad || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
#endif
    safe += bad ? '_' : c;
  }
  if (safe == "." || safe == "..") safe.assign(safe.size(), '_');
  return safe;
}

}  // namespace vantrel
