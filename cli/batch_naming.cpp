#include "cli/batch_naming.hpp"

#include <filesystem>
#include <map>

namespace accprep {

std::string InputFileStem(const std::string& inputPath) {
  return std::filesystem::path(inputPath).stem().string();
}

std::string BatchBaseName(const std::string& baseName, const std::string& inputPath,
                          std::size_t inputCount) {
  if (inputCount <= 1) return baseName;
  return baseName + "_" + InputFileStem(inputPath);
}

std::optional<BatchCollision> FindBatchCollision(const std::string& baseName,
                                                 const std::vector<std::string>& inputs) {
  if (inputs.size() <= 1) return std::nullopt;
  std::map<std::string, const std::string*> firstInputOf;
  for (const std::string& input : inputs) {
    std::string name = BatchBaseName(baseName, input, inputs.size());
    const auto [entry, added] = firstInputOf.emplace(name, &input);
    if (!added) return BatchCollision{*entry->second, input, std::move(name)};
  }
  return std::nullopt;
}

}  // namespace accprep
