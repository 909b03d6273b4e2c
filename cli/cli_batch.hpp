#pragma once
// Runs the conversions a command line asks for: one run per input, in the order given, each
// with a terminal host of its own. The first failure stops the batch; the runs before it
// stay converted.

#include <functional>
#include <string>

#include "cli/cli_host.hpp"
#include "cli/cli_options.hpp"
#include "engine/conversion_run.hpp"

namespace accprep {

using ConversionFn = std::function<void(const RunInputs&, RunObserver&)>;

// Converts options.inputs in turn with `convert` (RunConversion outside tests), the exchange
// folder being `exchangeFolder`; each run waits for another conversion in that folder unless
// options.noWait. Before the first run, a batch in which an output of one input is another
// input (inputs_in_use.hpp) is refused naming both, and nothing runs. With several inputs, a line
// "[i/n] INPUT" on the error output introduces each run. Returns kExitSuccess when every run ended;
// otherwise writes "error: <message>" to the error output (for a batch "error: INPUT: <message>"
// followed by how many inputs were converted) and returns kExitFailure without starting the next
// run. An interrupted run says "interrupted at step N (what it did)" and returns 128 + the signal.
int RunBatch(const CliOptions& options, const std::string& exchangeFolder,
             const TerminalOutput& output, const ConversionFn& convert = &RunConversion);

}  // namespace accprep
