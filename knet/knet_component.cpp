#include "knet/knet_component.hpp"

#include <array>
#include <filesystem>
#include <string_view>

#include "engine/data_error.hpp"
#include "knet/knet_header.hpp"

namespace accprep {
namespace {

constexpr std::array<std::string_view, 9> kComponents = {"EW",  "NS",  "UD",  "EW1", "NS1",
                                                         "UD1", "EW2", "NS2", "UD2"};

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

}  // namespace

std::string ComponentOfFile(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (!extension.empty()) {
    const std::string component = Upper(std::string_view(extension).substr(1));  // after the dot
    for (const std::string_view known : kComponents) {
      if (component == known) return component;
    }
  }
  throw DataError(DataErrorKind::kInput,
                  "not a K-NET or KiK-net file name: the extension is not .EW, .NS, .UD or "
                  ".EW1 ... .UD2",
                  path);
}

void CheckDirection(const std::string& component, const std::string& direction,
                    const std::string& file) {
  if (direction != "E-W" && direction != "N-S" && direction != "U-D") return;
  const std::string letters{direction[0], direction[2]};
  if (component.compare(0, 2, letters) == 0) return;
  throw DataError(
      DataErrorKind::kInput,
      "Dir. \"" + direction + "\" does not match the component " + component + " of the file name",
      file, kDirectionLine);
}

}  // namespace accprep
