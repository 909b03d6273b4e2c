#include "engine/conversion_run.hpp"

#include <unistd.h>

#include <filesystem>
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
#include "engine/row_fan_out.hpp"
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

  // Stages 2 and 3: the acceleration matrix, the public CSV and the exchange CSV, made from
  // one formatting of each batch of rows (row_fan_out.hpp). Each file still takes its own
  // step: it fails as it would have, written after the ones before it, and its progress is
  // reported at its turn.
  observer_.SetStatusCaption(kStatusWriting);
  RowFanOut acceleration;
  Step(RunStep::kCreateAccelerationMatrix, [&] {
    acceleration.Add(
        MatrixFilePath(in_.exchangeFolder, in_.outputBaseName, MatrixFile::kAcceleration),
        RowFanOut::Form::kMatrix);
  });
  Step(RunStep::kRemoveBaseline, [&] { RemoveBaseline(*table_, means, n_); });
  const ChannelFileNames names = Step(RunStep::kNameChannelFiles, [&] {
    const std::string stem = *InputStem(in_.inputPath);  // CheckRunInputs made sure of it
    return ChannelFileNames{ConversionFilePath(stem, ConversionFile::kAcceleration),
                            ConversionFilePath(stem, ConversionFile::kVelocity),
                            ConversionFilePath(stem, ConversionFile::kDisplacement),
                            ConversionFilePath(stem, ConversionFile::kVelocitySpectrum),
                            ConversionFilePath(stem, ConversionFile::kDisplacementSpectrum)};
  });
  Step(RunStep::kWriteAccelerationMatrix, [&] {
    acceleration.Add(names.acceleration, RowFanOut::Form::kChannelCsv, in_.comment);
    acceleration.Add(Exchange(kExchangeCsv), RowFanOut::Form::kChannelCsv);
    acceleration.WriteRows(*table_, n_, setValue);
    acceleration.Finish(0, *table_, n_, setValue);
  });
  observer_.SetStatusCaption(kStatusPublic);
  Step(RunStep::kWritePublicCsv, [&] { acceleration.Finish(1, *table_, n_, setValue); });
  Step(RunStep::kWriteExchangeCsv, [&] { acceleration.Finish(2, *table_, n_, setValue); });

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
  const std::string matrix = MatrixFilePath(in_.exchangeFolder, in_.outputBaseName, stage.matrix);

  Step(stage.run, [&] { RunIntegrationJob(Exchange(stage.jobName), {result, spectrum}); });
  // The result is read before its copies replace anything: a result that cannot be read
  // leaves the earlier copies beside the input as they were. Its matrix is written as it is
  // read, from the lines themselves where the job wrote them as the writers do, and put in
  // place at its own step; where that fails it is set aside and written then, from the table,
  // so that it fails or succeeds as it would have after the copies.
  bool matrixSetAside = false;
  const auto setMatrixAside = [&] {
    writer_.AbandonOutputFile();
    matrixSetAside = true;
  };
  const std::int32_t m = Step(stage.read, [&] {
    try {
      writer_.CreateOutputFile(matrix);
    } catch (const DataError&) {
      matrixSetAside = true;
    }
    return ReadRecord(*table_, result, kResultHeaderLines, kResultFields, setMaximum,
                      [&](std::int64_t first, std::int64_t count, std::span<char> lines) {
                        if (matrixSetAside) return;
                        try {
                          writer_.WriteMatrixLines(lines, *table_, static_cast<std::int32_t>(first),
                                                   static_cast<std::int32_t>(count));
                        } catch (const DataError&) {
                          setMatrixAside();
                        }
                      });
  });
  Step(stage.copy, [&] {
    // A copy that needs room the matrix written ahead of its turn takes gets it.
    for (const auto& [from, to] :
         {std::pair(result, stage.recordCopy), std::pair(spectrum, stage.spectrumCopy)}) {
      try {
        CopyFileReplacing(from, to);
      } catch (const DataError& error) {
        if (!error.IsOutOfSpace() || matrixSetAside) throw;
        setMatrixAside();
        CopyFileReplacing(from, to);
      }
    }
  });
  observer_.SetStatusCaption(kStatusWriting);
  Step(stage.write, [&] {
    if (matrixSetAside) {
      writer_.CreateOutputFile(matrix);
      writer_.WriteMatrixRows(*table_, m, setValue);
    } else {
      for (std::int32_t row = 1; row <= m; ++row) setValue(static_cast<float>(row));
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
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    throw EngineError(ErrorKind::kIo, "cannot find the program folder: " + error.message(),
                      "/proc/self/exe");
  }
  return FolderOf(program.string());
}

}  // namespace accprep
