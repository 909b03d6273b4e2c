#include "engine/conversion_run.hpp"

#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <utility>

#include "engine/baseline.hpp"
#include "engine/engine_error.hpp"
#include "engine/file_operations.hpp"
#include "engine/integration_jobs.hpp"
#include "engine/output_writers.hpp"
#include "engine/record_reader.hpp"
#include "engine/sample_table.hpp"

namespace accprep {
namespace {

constexpr int kAccelerationHeaderLines = 2;
constexpr int kAccelerationFields = kTableColumns;
constexpr int kResultHeaderLines = 1;
constexpr int kResultFields = kWrittenColumns;
// The input stem drops the last four characters: the dot and a three-letter extension.
constexpr std::size_t kExtensionCharacters = 4;

// Runs one numbered step; an EngineError from it leaves carrying the step.
template <typename Action>
auto Step(int number, const char* name, Action&& action) {
  try {
    return action();
  } catch (EngineError& error) {
    error.SetStep(number, name);
    throw;
  }
}

[[noreturn]] void Refuse(const std::string& reason) {
  throw EngineError(ErrorKind::kRefused, reason);
}

// Byte length of `text` without its last `count` characters, counting UTF-8 code points;
// nullopt when it has fewer characters.
std::optional<std::size_t> WithoutLastCharacters(const std::string& text, std::size_t count) {
  std::size_t end = text.size();
  for (std::size_t dropped = 0; dropped < count; ++dropped) {
    if (end == 0) return std::nullopt;
    --end;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  }
  return end;
}

// The base name becomes part of a file name in out/: it must name a file, not a path.
void CheckBaseName(const std::string& name) {
  if (name.empty()) Refuse("the output base name is empty: type the name of the files to save");
  for (const char c : name) {
    if (c == '/' || c == '\\')
      Refuse("the output base name must not hold a folder separator ('/' or '\\'): \"" + name +
             "\"");
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      Refuse("the output base name must not hold control characters");
  }
}

// The comment is one line of the public CSV; a line break would make it two.
void CheckComment(const std::string& comment) {
  if (comment.find_first_of("\r\n") != std::string::npos)
    Refuse("the comment must be a single line: it holds a line break");
}

std::string InputStem(const std::string& inputPath) {
  const auto stemSize = WithoutLastCharacters(inputPath, kExtensionCharacters);
  if (!stemSize)
    Refuse("the input path \"" + inputPath + "\" is shorter than four characters: choose a "
           "record file");
  return inputPath.substr(0, *stemSize);
}

std::string InFolder(const std::string& folder, const char* name) { return folder + "/" + name; }

std::string MatrixPath(RunHost& host, const char* suffix) {
  const std::string baseName = host.OutputBaseName();
  CheckBaseName(baseName);
  return host.ExchangeFolder() + "/out/" + baseName + suffix;
}

struct ChannelFileNames {
  std::string acceleration, velocity, displacement, velocitySpectrum, displacementSpectrum;
};

// One job stage: run the job, take over its result and spectrum, write the result's matrix,
// delete the exchange files it left. Steps 14..19 for velocity, 20..25 for displacement.
struct JobStage {
  int firstStep;
  const char* jobName;
  const char* resultName;
  const char* matrixSuffix;
  const std::string& recordCopy;
  const std::string& spectrumCopy;
  const char* what;  // "velocity" or "displacement", for the step names
};

}  // namespace

std::string ProgramFolder() {
  std::string path(4096, '\0');
  const ssize_t size = ::readlink("/proc/self/exe", path.data(), path.size());
  if (size <= 0)
    throw EngineError(ErrorKind::kIo,
                      "cannot find the program folder: " + SystemReason(errno), "/proc/self/exe");
  path.resize(static_cast<std::size_t>(size));
  const std::size_t slash = path.find_last_of('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

void RunConversion(RunHost& host) {
  // Refuse unusable inputs before anything is read or written.
  const std::string firstInputPath = host.SelectedInputPath();
  InputStem(firstInputPath);
  CheckBaseName(host.OutputBaseName());
  CheckComment(host.Comment());

  auto setMaximum = [&host](float maximum) { host.SetProgressMaximum(maximum); };
  auto setValue = [&host](float value) { host.SetProgressValue(value); };
  OutputWriter writer;

  // Stage 1: load the acceleration record.
  auto table = Step(1, "creating the sample table", [] { return std::make_unique<SampleTable>(); });
  ChannelMeans means{};
  host.SetStatusCaption(kStatusReading);
  host.SetStartEnabled(false);
  const std::int32_t n = Step(4, "reading the acceleration record", [&] {
    return ReadRecord(*table, firstInputPath, kAccelerationHeaderLines, kAccelerationFields,
                      setMaximum);
  });

  // Stage 2: acceleration matrix.
  host.SetStatusCaption(kStatusWriting);
  Step(6, "creating the acceleration matrix",
       [&] { writer.CreateOutputFile(MatrixPath(host, "_accmat.prn")); });
  Step(7, "removing the baseline", [&] { RemoveBaseline(*table, means, n); });
  Step(8, "writing the acceleration matrix", [&] {
    writer.WriteMatrixRows(*table, n, setValue);
    writer.CloseOutputFile();
  });

  // Stage 3: public data.
  host.SetStatusCaption(kStatusPublic);
  const ChannelFileNames names = Step(10, "naming the channel files", [&] {
    const std::string stem = InputStem(host.SelectedInputPath());
    return ChannelFileNames{stem + "_acc.csv", stem + "_vel.csv", stem + "_dis.csv",
                            stem + "_velAmp.csv", stem + "_disAmp.csv"};
  });
  Step(11, "writing the public acceleration CSV", [&] {
    const std::string comment = host.Comment();
    CheckComment(comment);
    writer.CreateOutputFile(names.acceleration);
    writer.WriteChannelCsv(*table, n, comment, setValue);
    writer.CloseOutputFile();
  });
  Step(12, "writing the exchange CSV", [&] {
    writer.CreateOutputFile(InFolder(host.ExchangeFolder(), kExchangeCsv));
    writer.WriteChannelCsv(*table, n, std::nullopt, setValue);
    writer.CloseOutputFile();
  });

  // Stages 4 and 5: the two jobs.
  host.SetDialogInitialFolder(host.ExchangeFolder());
  const JobStage stages[] = {
      {14, kVelocityJob, kVelocityResult, "_velmat.prn", names.velocity, names.velocitySpectrum,
       "velocity"},
      {20, kDisplacementJob, kDisplacementResult, "_dismat.prn", names.displacement,
       names.displacementSpectrum, "displacement"},
  };
  for (const JobStage& stage : stages) {
    const std::string what = stage.what;
    const int s = stage.firstStep;
    Step(s, ("running the " + what + " job").c_str(), [&] {
      const std::string folder = host.ExchangeFolder();
      RunIntegrationJob(InFolder(folder, stage.jobName),
                        {InFolder(folder, stage.resultName), InFolder(folder, kSpectrumResult)});
    });
    Step(s + 1, ("copying the " + what + " results").c_str(), [&] {
      CopyFileReplacing(InFolder(host.ExchangeFolder(), stage.resultName), stage.recordCopy);
      CopyFileReplacing(InFolder(host.ExchangeFolder(), kSpectrumResult), stage.spectrumCopy);
    });
    const std::int32_t m = Step(s + 2, ("reading the " + what + " result").c_str(), [&] {
      return ReadRecord(*table, InFolder(host.ExchangeFolder(), stage.resultName),
                        kResultHeaderLines, kResultFields, setMaximum);
    });
    host.SetStatusCaption(kStatusWriting);
    Step(s + 4, ("writing the " + what + " matrix").c_str(), [&] {
      writer.CreateOutputFile(MatrixPath(host, stage.matrixSuffix));
      writer.WriteMatrixRows(*table, m, setValue);
      writer.CloseOutputFile();
    });
    Step(s + 5, ("deleting the " + what + " exchange files").c_str(), [&] {
      DeleteFileIfPresent(InFolder(host.ExchangeFolder(), kSpectrumResult));
      DeleteFileIfPresent(InFolder(host.ExchangeFolder(), stage.resultName));
    });
  }
  Step(25, "deleting the exchange files",
       [&] { DeleteFileIfPresent(InFolder(host.ExchangeFolder(), kExchangeCsv)); });

  table.reset();
  host.SetStatusCaption(kStatusFinished);
  host.ShowMessage(kDoneMessage);
}

}  // namespace accprep
