#include "cli/cli_batch.hpp"

#include <exception>
#include <new>

#include "cli/batch_naming.hpp"
#include "engine/engine_error.hpp"
#include "engine/inputs_in_use.hpp"
#include "engine/interruption.hpp"

namespace accprep {
namespace {

// `converted` inputs were converted before the batch stopped at input `index`.
void ReportFailure(const TerminalOutput& output, const CliOptions& options, std::size_t index,
                   std::size_t converted, const std::string& message) {
  const ProgramVoice voice{kCliProgram};
  const std::size_t count = options.inputs.size();
  if (count == 1) {
    voice.Failure(message, output.status);
    return;
  }
  voice.Failure(options.inputs[index] + ": " + message, output.status);
  output.status << converted << " of " << count << " inputs converted; the batch stopped at "
                << options.inputs[index] << '\n'
                << std::flush;
}

std::string InterruptionMessage(const EngineError& error) {
  if (error.step() == 0) return "interrupted before the conversion began";
  return "interrupted at step " + std::to_string(error.step()) + " (" + error.stepName() + ")";
}

}  // namespace

int RunBatch(const CliOptions& options, const std::string& exchangeFolder,
             const TerminalOutput& output, const ConversionFn& convert) {
  const std::size_t count = options.inputs.size();
  const auto runInputs = [&](std::size_t index) {
    const std::string& input = options.inputs[index];
    return RunInputs{input, BatchBaseName(options.baseName, input, count), options.comment,
                     exchangeFolder, !options.noWait};
  };
  // Every input is in use until the batch ends, and before anything runs no conversion may
  // write over another input: the first conversion would otherwise replace a later record
  // before it is read (each run checks its own input itself).
  const InputsInUse inUse(options.inputs);
  for (std::size_t index = 0; count > 1 && index < count; ++index) {
    try {
      for (const std::string& path : RunOutputPaths(runInputs(index))) RefuseInputAsOutput(path);
    } catch (const DataError& refusal) {
      ReportFailure(output, options, index, 0, refusal.what());
      return kExitFailure;
    }
  }
  for (std::size_t index = 0; index < count; ++index) {
    const std::string& input = options.inputs[index];
    if (count > 1) {
      output.status << '[' << index + 1 << '/' << count << "] " << input << '\n' << std::flush;
    }
    const RunInputs inputs = runInputs(index);
    TerminalHost host(output);
    std::string failure;
    int exitCode = kExitFailure;
    try {
      convert(inputs, host);
      continue;
    } catch (const EngineError& error) {
      failure = error.what();
      if (error.kind() == ErrorKind::kInterrupted) {
        failure = InterruptionMessage(error);
        exitCode = 128 + InterruptionSignal();
      }
    } catch (const std::bad_alloc&) {
      // The one large allocation of a run is the sample table (about 155 MB).
      failure = "not enough memory for the sample table";
      if (count == 1) failure = input + ": " + failure;
    } catch (const std::exception& error) {
      // EngineError's text already leads with the step and names the file and position.
      failure = error.what();
    }
    host.ClearProgress();
    ReportFailure(output, options, index, index, failure);
    return exitCode;
  }
  return kExitSuccess;
}

}  // namespace accprep
