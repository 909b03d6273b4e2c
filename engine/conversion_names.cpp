#include "engine/conversion_names.hpp"

#include <filesystem>

namespace accprep {

// The input stem drops exactly this many characters, whatever they are.
constexpr std::size_t kExtensionCharacters = 4;

std::string_view ConversionSuffix(ConversionFile file) {
  switch (file) {
    case ConversionFile::kAcceleration:
      return "_acc.csv";
    case ConversionFile::kVelocity:
      return "_vel.csv";
    case ConversionFile::kDisplacement:
      return "_dis.csv";
    case ConversionFile::kVelocitySpectrum:
      return "_velAmp.csv";
    case ConversionFile::kDisplacementSpectrum:
      return "_disAmp.csv";
  }
  return {};
}

std::string_view MatrixSuffix(MatrixFile file) {
  switch (file) {
    case MatrixFile::kAcceleration:
      return "_accmat.prn";
    case MatrixFile::kVelocity:
      return "_velmat.prn";
    case MatrixFile::kDisplacement:
      return "_dismat.prn";
  }
  return {};
}

std::optional<std::string> InputStem(std::string_view inputPath) {
  std::size_t end = inputPath.size();
  for (std::size_t dropped = 0; dropped < kExtensionCharacters; ++dropped) {
    if (end == 0) return std::nullopt;
    --end;
    // Continuation bytes of UTF-8 (10xxxxxx) belong to the character before them.
    while (end > 0 && (static_cast<unsigned char>(inputPath[end]) & 0xC0) == 0x80) --end;
  }
  return std::string(inputPath.substr(0, end));
}

std::string ConversionFilePath(std::string_view stem, ConversionFile file) {
  std::string path(stem);
  path += ConversionSuffix(file);
  return path;
}

std::string LayoutFilePath(std::string_view stem) {
  std::string path(stem);
  path += kLayoutSuffix;
  return path;
}

std::optional<std::string> ConversionFileStem(std::string_view path, ConversionFile file) {
  const std::string_view suffix = ConversionSuffix(file);
  if (!path.ends_with(suffix)) return std::nullopt;
  path.remove_suffix(suffix.size());
  return std::string(path);
}

std::string MatrixFilePath(std::string_view exchangeFolder, std::string_view baseName,
                           MatrixFile file) {
  std::string path = InFolder(InFolder(exchangeFolder, kMatrixFolder), baseName);
  path += MatrixSuffix(file);
  return path;
}

std::string InFolder(std::string_view folder, std::string_view name) {
  return (std::filesystem::path(folder) / name).string();
}

std::string FolderOf(std::string_view path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? "." : folder.string();
}

}  // namespace accprep
