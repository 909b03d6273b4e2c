#pragma once
// The names a conversion gives its files: the five channel files beside the input, named from
// the input stem; the three matrix files in out/ of the exchange folder, named from the output
// base name; and the exchange files the integration jobs take and leave. The building layout
// the user writes beside the record is named from the same stem.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace accprep {

// Exchange files and jobs, in the exchange folder (the program folder).
inline constexpr char kVelocityJob[] = "fftvel.bat";
inline constexpr char kDisplacementJob[] = "fftdis.bat";
inline constexpr char kExchangeCsv[] = "outacc.csv";
inline constexpr char kVelocityResult[] = "velout.csv";
inline constexpr char kDisplacementResult[] = "disout.csv";
inline constexpr char kSpectrumResult[] = "amp3.csv";
inline constexpr std::array<const char*, 4> kExchangeFiles = {kExchangeCsv, kVelocityResult,
                                                              kDisplacementResult, kSpectrumResult};
// The matrix files' folder inside the exchange folder; never created by the tool.
inline constexpr char kMatrixFolder[] = "out";

// The five channel files of a conversion, in the order the run names them.
enum class ConversionFile {
  kAcceleration,          // "_acc.csv": public acceleration CSV, opened by the comment line
  kVelocity,              // "_vel.csv": velocity record (the velocity job's result)
  kDisplacement,          // "_dis.csv": displacement record
  kVelocitySpectrum,      // "_velAmp.csv": amplitude spectrum of the velocity
  kDisplacementSpectrum,  // "_disAmp.csv": amplitude spectrum of the displacement
};
inline constexpr int kConversionFileCount = 5;
inline constexpr std::array<ConversionFile, kConversionFileCount> kAllConversionFiles = {
    ConversionFile::kAcceleration, ConversionFile::kVelocity, ConversionFile::kDisplacement,
    ConversionFile::kVelocitySpectrum, ConversionFile::kDisplacementSpectrum};

std::string_view ConversionSuffix(ConversionFile file);

// The three matrix files: "_accmat.prn", "_velmat.prn", "_dismat.prn".
enum class MatrixFile { kAcceleration, kVelocity, kDisplacement };
inline constexpr std::array<MatrixFile, 3> kAllMatrixFiles = {
    MatrixFile::kAcceleration, MatrixFile::kVelocity, MatrixFile::kDisplacement};
std::string_view MatrixSuffix(MatrixFile file);

// The input stem: the input path less its last four characters (the dot and a three-letter
// extension of a name such as a .csv file), counted in characters of its UTF-8 text, so
// "rec.加速度" gives "rec". None for a path of fewer than four characters.
std::optional<std::string> InputStem(std::string_view inputPath);

// stem + the file's suffix.
std::string ConversionFilePath(std::string_view stem, ConversionFile file);

// The building layout beside the record: stem + "_layout.csv" (engine/building_layout.hpp).
inline constexpr char kLayoutSuffix[] = "_layout.csv";
std::string LayoutFilePath(std::string_view stem);

// The stem of the channel file `file` at `path`: the path less the file's suffix ("a/site1"
// for "a/site1_vel.csv" and kVelocity); none when the path does not end in that suffix.
std::optional<std::string> ConversionFileStem(std::string_view path, ConversionFile file);

// exchangeFolder/out/baseName + the matrix suffix.
std::string MatrixFilePath(std::string_view exchangeFolder, std::string_view baseName,
                           MatrixFile file);

// Paths are put together and taken apart by std::filesystem; these two name the forms the
// tool's messages and file names use.

// `name` in `folder`: "folder/name"; a folder that already ends in '/' gets no second one,
// and an empty folder leaves the name as it is (relative to the working folder).
std::string InFolder(std::string_view folder, std::string_view name);

// The folder of the file at `path`, without a final '/': "a/b" for "a/b/c.csv", "/" for
// "/c.csv", "." for a bare file name, so that the result can always be listed or joined.
std::string FolderOf(std::string_view path);

}  // namespace accprep
