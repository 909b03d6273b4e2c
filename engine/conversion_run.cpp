#include "engine/conversion_run.hpp"

#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <utility>

#include "engine/atomic_file.hpp"
#include "engine/baseline.hpp"
#include "engine/conversion_names.hpp"
#include "engine/engine_error.hpp"
#include "engine/exchange_lock.hpp"
#include "engine/file_operations.hpp"
#include "engine/inputs_in_use.hpp"
#include "engine/integration_jobs.hpp"
#include "engine/interruption.hpp"
#include "engine/output_writers.hpp"
#include "engine/record_reader.hpp"
#include "engine/sample_table.hpp"

namespace accprep {
namespace {

constexpr int kAccelerationHeaderLines = 2;
constexpr int kAccelerationFields = kTableColumns;
constexpr int kResultHeaderLines = 1;
constexpr int kResultFields = kWrittenColumns;

struct ChannelFileNames {
  std::string acceleration, velocity, displacement, velocitySpectrum, displacementSpectrum;
};

// One job stage: run the job, take over its result and spectrum, write the result's matrix,
// delete the exchange files it left.
struct JobStage {
  RunStep run, copy, read, write, erase;
  const char* jobName;
  const char* resultName;
  MatrixFile matrix;
  const std::string& recordCopy;
  const std::string& spectrumCopy;
};

class Run {
 public:
  Run(const RunInputs& inputs, RunObserver& observer) : in_(inputs), observer_(observer) {}
  void RemoveLeftovers();
  void Convert();
  // After a failure or an interruption: the exchange files of this run go, as no later step
  // will use them and the message already says what went wrong.
  void RemoveExchangeFiles() noexcept;

 private:
  // Runs one step; a DataError or EngineError from it leaves as an EngineError carrying the
  // step, and naming the record when it names no file of its own.
  template <typename Action>
  auto Step(RunStep step, Action&& action) {
    try {
      ThrowIfInterrupted();
      return action();
    } catch (const DataError& error) {
      EngineError failure(error, step);
      failure.SetFileIfNone(in_.inputPath);
      throw failure;
    } catch (EngineError& error) {
      error.SetStep(step);
      error.SetFileIfNone(in_.inputPath);
      throw;
    }
  }
  std::string Exchange(const char* name) const { return InFolder(in_.exchangeFolder, name); }
  void RunJobStage(const JobStage& stage);

  const RunInputs& in_;
  RunObserver& observer_;
  std::unique_ptr<SampleTable> table_;
  OutputWriter writer_;
  std::int32_t n_ = 0;
};

void Run::Convert() {
  auto setMaximum = [this](float maximum) { observer_.SetProgressMaximum(maximum); };
  auto setValue = [this](float value) { observer_.SetProgressValue(value); };

  // Stage 1: load the acceleration record.
  table_ = Step(RunStep::kCreateTable, [] { return std::make_unique<SampleTable>(); });
  ChannelMeans means{};
  observer_.SetStatusCaption(kStatusReading);
  observer_.SetStartEnabled(false);
  n_ = Step(RunStep::kReadRecord, [&] {
    return ReadRecord(*table_, in_.inputPath, kAccelerationHeaderLines, kAccelerationFields,
                      setMaximum);
  });

  // Stage 2: acceleration matrix.
  observer_.SetStatusCaption(kStatusWriting);
  const std::string accelerationMatrix =
      MatrixFilePath(in_.exchangeFolder, in_.outputBaseName, MatrixFile::kAcceleration);
  Step(RunStep::kCreateAccelerationMatrix, [&] { writer_.CreateOutputFile(accelerationMatrix); });
  Step(RunStep::kRemoveBaseline, [&] { RemoveBaseline(*table_, means, n_); });
  Step(RunStep::kWriteAccelerationMatrix, [&] {
    writer_.WriteMatrixRows(*table_, n_, setValue);
    writer_.CloseOutputFile();
  });

  // Stage 3: public data.
  observer_.SetStatusCaption(kStatusPublic);
  const ChannelFileNames names = Step(RunStep::kNameChannelFiles, [&] {
    const std::string stem = *InputStem(in_.inputPath);  // CheckRunInputs made sure of it
    return ChannelFileNames{ConversionFilePath(stem, ConversionFile::kAcceleration),
                            ConversionFilePath(stem, ConversionFile::kVelocity),
                            ConversionFilePath(stem, ConversionFile::kDisplacement),
                            ConversionFilePath(stem, ConversionFile::kVelocitySpectrum),
                            ConversionFilePath(stem, ConversionFile::kDisplacementSpectrum)};
  });
  // Both hold the matrix's numbers: they are its text, separated by commas.
  Step(RunStep::kWritePublicCsv, [&] {
    writer_.CreateOutputFile(names.acceleration);
    writer_.WriteChannelCsvOfMatrix(accelerationMatrix, *table_, n_, in_.comment, setValue);
    writer_.CloseOutputFile();
  });
  Step(RunStep::kWriteExchangeCsv, [&] {
    writer_.CreateOutputFile(Exchange(kExchangeCsv));
    writer_.WriteChannelCsvOfMatrix(accelerationMatrix, *table_, n_, std::nullopt, setValue);
    writer_.CloseOutputFile();
  });

  // Stages 4 and 5: the two jobs.
  observer_.SetDialogInitialFolder(in_.exchangeFolder);
  RunJobStage({RunStep::kRunVelocityJob, RunStep::kCopyVelocityResults,
               RunStep::kReadVelocityResult, RunStep::kWriteVelocityMatrix,
               RunStep::kDeleteVelocityFiles, kVelocityJob, kVelocityResult, MatrixFile::kVelocity,
               names.velocity, names.velocitySpectrum});
  RunJobStage({RunStep::kRunDisplacementJob, RunStep::kCopyDisplacementResults,
               RunStep::kReadDisplacementResult, RunStep::kWriteDisplacementMatrix,
               RunStep::kDeleteDisplacementFiles, kDisplacementJob, kDisplacementResult,
               MatrixFile::kDisplacement, names.displacement, names.displacementSpectrum});
  Step(RunStep::kDeleteExchangeCsv, [&] { DeleteFileIfPresent(Exchange(kExchangeCsv)); });

  table_.reset();
  observer_.SetStatusCaption(kStatusFinished);
  observer_.ShowMessage(kDoneMessage);
}

void Run::RunJobStage(const JobStage& stage) {
  auto setMaximum = [this](float maximum) { observer_.SetProgressMaximum(maximum); };
  auto setValue = [this](float value) { observer_.SetProgressValue(value); };
  const std::string result = Exchange(stage.resultName);
  const std::string spectrum = Exchange(kSpectrumResult);

  Step(stage.run, [&] { RunIntegrationJob(Exchange(stage.jobName), {result, spectrum}); });
  // The result is read before its copies replace anything: a result that cannot be read
  // leaves the earlier copies beside the input as they were.
  bool formatted = false;
  const std::int32_t m = Step(stage.read, [&] {
    return ReadRecord(*table_, result, kResultHeaderLines, kResultFields, setMaximum, &formatted);
  });
  Step(stage.copy, [&] {
    CopyFileReplacing(result, stage.recordCopy);
    CopyFileReplacing(spectrum, stage.spectrumCopy);
  });
  observer_.SetStatusCaption(kStatusWriting);
  Step(stage.write, [&] {
    writer_.CreateOutputFile(MatrixFilePath(in_.exchangeFolder, in_.outputBaseName, stage.matrix));
    // A result written as the writers write holds the matrix's numbers as they would be written.
    if (formatted) {
      writer_.WriteMatrixOfChannelCsv(result, kResultHeaderLines, *table_, m, setValue);
    } else {
      writer_.WriteMatrixRows(*table_, m, setValue);
    }
    writer_.CloseOutputFile();
  });
  Step(stage.erase, [&] {
    DeleteFileIfPresent(spectrum);
    DeleteFileIfPresent(result);
  });
}

// Holding the lock, anything in the exchange folder and any temporary of a process that is
// gone was left by a run that did not finish: it cannot be of a run under way. The input
// itself is never removed, whatever its name (CheckRunInputs refuses the exchange files).
void Run::RemoveLeftovers() {
  std::vector<std::string> removed;
  const std::string folders[] = {in_.exchangeFolder, InFolder(in_.exchangeFolder, kMatrixFolder),
                                 FolderOf(in_.inputPath)};
  for (const std::string& folder : folders) {
    for (std::string& path : RemoveOrphanedTemporaries(folder, {}, in_.inputPath))
      removed.push_back(std::move(path));
  }
  for (const char* name : kExchangeFiles) {
    const std::string path = Exchange(name);
    if (::unlink(path.c_str()) == 0) removed.push_back(path);
  }
  if (!removed.empty()) observer_.LeftoversRemoved(removed);
}

void Run::RemoveExchangeFiles() noexcept {
  for (const char* name : kExchangeFiles) ::unlink(Exchange(name).c_str());
  RemoveOrphanedTemporaries(in_.exchangeFolder, {}, in_.inputPath);
}

}  // namespace

void CheckRunInputs(const RunInputs& inputs) {
  if (!InputStem(inputs.inputPath)) {
    throw EngineError(
        inputs.inputPath.empty() ? Refusal::kNoInputChosen : Refusal::kInputPathTooShort,
        "the input path \"" + inputs.inputPath +
            "\" is shorter than four characters: choose a record file");
  }
  // The base name becomes part of a file name in out/: it must name a file, not a path.
  const std::string& name = inputs.outputBaseName;
  if (name.empty())
    throw EngineError(Refusal::kEmptyBaseName,
                      "the output base name is empty: type the name of the files to save");
  for (const char c : name) {
    if (c == '/' || c == '\\')
      throw EngineError(Refusal::kBaseNameHasSeparator,
                        "the output base name must not hold a folder separator ('/' or '\\'): "
                        "\"" +
                            name + "\"");
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      throw EngineError(Refusal::kBaseNameHasControl,
                        "the output base name must not hold control characters");
  }
  // The comment is one line of the public CSV; a line break would make it two.
  if (inputs.comment.find_first_of("\r\n") != std::string::npos)
    throw EngineError(Refusal::kCommentNotOneLine,
                      "the comment must be a single line: it holds a line break");
  // Checked here rather than where the file is created: a long name would otherwise fail only
  // after the record was read and the first files written.
  const std::vector<std::string> outputs = RunOutputPaths(inputs);
  for (std::size_t index = 0; index < outputs.size(); ++index) {
    const std::string& output = outputs[index];
    const std::size_t nameBytes = output.size() - output.find_last_of('/') - 1;
    if (nameBytes > kMaxOutputNameBytes) {
      throw EngineError(Refusal::kNameTooLong,
                        output + ": the file name would be longer than the " +
                            std::to_string(kMaxOutputNameBytes) +
                            " bytes an output's name may hold: shorten the " +
                            (index < kAllMatrixFiles.size() ? "output base name" : "input's name"));
    }
  }
  // The run removes the exchange files before it begins: an input among them would be lost.
  for (const char* name : kExchangeFiles) {
    const std::string exchangeFile = InFolder(inputs.exchangeFolder, name);
    if (SameFile(inputs.inputPath, exchangeFile)) {
      throw EngineError(Refusal::kInputIsExchangeFile,
                        "the input is the exchange file " + exchangeFile +
                            ", which every conversion in this folder removes: copy it elsewhere "
                            "and convert the copy");
    }
  }
  for (const std::string& output : outputs) {
    if (SameFile(inputs.inputPath, output)) {
      throw EngineError(Refusal::kOutputIsInput,
                        "the output " + output + " is the input " + inputs.inputPath +
                            " itself, by another path or a link: it would replace it");
    }
  }
}

std::vector<std::string> RunOutputPaths(const RunInputs& inputs) {
  std::vector<std::string> paths;
  for (const MatrixFile matrix : kAllMatrixFiles)
    paths.push_back(MatrixFilePath(inputs.exchangeFolder, inputs.outputBaseName, matrix));
  const std::string stem = InputStem(inputs.inputPath).value_or(std::string());
  for (const ConversionFile file : kAllConversionFiles)
    paths.push_back(ConversionFilePath(stem, file));
  return paths;
}

void RunConversion(const RunInputs& inputs, RunObserver& observer) {
  CheckRunInputs(inputs);
  const ExchangeLock lock(inputs.exchangeFolder, inputs.waitForExchangeFolder,
                          [&] { observer.WaitingForExchangeFolder(inputs.exchangeFolder); });
  const InputsInUse input({inputs.inputPath});
  Run run(inputs, observer);
  try {
    run.RemoveLeftovers();
    run.Convert();
  } catch (...) {
    run.RemoveExchangeFiles();
    throw;
  }
}

std::string ProgramFolder() {
  std::string path(4096, '\0');
  const ssize_t size = ::readlink("/proc/self/exe", path.data(), path.size());
  if (size <= 0)
    throw EngineError(ErrorKind::kIo, "cannot find the program folder: " + SystemReason(errno),
                      "/proc/self/exe");
  path.resize(static_cast<std::size_t>(size));
  const std::size_t slash = path.find_last_of('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace accprep
