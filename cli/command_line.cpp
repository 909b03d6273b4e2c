#include "cli/command_line.hpp"

#include <CLI/CLI.hpp>

#include <exception>
#include <new>

#include "engine/interruption.hpp"

namespace accprep {

std::string ProgramVoice::VersionLine() const { return name + " " + ACCPREP_VERSION; }

int ProgramVoice::Help(const std::string& usage, std::ostream& out) const {
  out << usage << std::flush;
  return kExitSuccess;
}

int ProgramVoice::Version(std::ostream& out) const {
  out << VersionLine() << std::endl;
  return kExitSuccess;
}

int ProgramVoice::UsageMistake(const std::string& what, const std::string& usage,
                               std::ostream& err) const {
  if (form == MessageForm::kNamedLine) {
    Failure(what + " (see --help)", err);
  } else {
    err << "error: " << what << '\n' << usage << std::flush;
  }
  return kExitUsage;
}

int ProgramVoice::Failure(const std::string& what, std::ostream& err) const {
  if (form == MessageForm::kErrorLines) {
    err << "error: " << what << '\n' << std::flush;
    return kExitFailure;
  }
  std::string line = what;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  err << name << ": " << line << '\n' << std::flush;
  return kExitFailure;
}

int ProgramVoice::Interrupted(std::ostream& err) const {
  Failure(InterruptionReason(), err);
  return InterruptedExitCode();
}

int ProgramVoice::Run(const std::function<int()>& work, std::ostream& err) const {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    if (InterruptionRequested()) return Interrupted(err);
    return Failure("not enough memory for this record", err);
  } catch (const std::exception& error) {
    if (InterruptionRequested()) return Interrupted(err);
    return Failure(error.what(), err);
  }
}

std::optional<int> ParseArguments(CLI::App& app, const ProgramVoice& voice, int argc,
                                  const char* const* argv, std::ostream& out, std::ostream& err,
                                  const std::function<void()>& check) {
  app.set_version_flag("--version", voice.VersionLine());
  try {
    app.parse(argc, argv);
    if (check) check();
  } catch (const CLI::CallForHelp&) {
    return voice.Help(app.help(), out);
  } catch (const CLI::CallForVersion&) {
    return voice.Version(out);
  } catch (const CLI::ParseError& error) {
    return voice.UsageMistake(error.what(), app.help(), err);
  }
  return std::nullopt;
}

CLI::Validator NotEmpty() {
  return CLI::Validator(
      [](const std::string& value) {
        return value.empty() ? std::string("must not be empty") : std::string();
      },
      "");
}

}  // namespace accprep
