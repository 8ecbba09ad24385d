#include "cli/cli.h"

#include "cli/argument_text.h"
#include "cli/command_line.h"
#include "cli/execution.h"
#include "cli/journal.h"
#include "cli/journal_undo.h"
#include "cli/name_steps.h"
#include "cli/plan_output.h"
#include "editor/text_editor.h"
#include "platform/data_folder.h"
#include "platform/name_codec.h"
#include "platform/program_settings.h"
#include "platform/rule_file.h"
#include "platform/settings_file.h"
#include "platform/stored_file_error.h"
#include "platform/text_file.h"
#include "rename/dropped_paths.h"
#include "rename/file_list.h"
#include "rename/name_round_trip.h"
#include "rename/file_access.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>
#include <system_error>

#ifndef NAMITRA_VERSION
#define NAMITRA_VERSION "unknown"
#endif

namespace namitra::cli {

namespace {

constexpr const char* kProgram = "namitra-cli: ";
// The window's executable, whose settings file holds the tab replacement of the round trip.
constexpr const char* kWindowExecutable = "namitra";

// The round trip's tables: what leaving the edit page applies.
struct NameCharTables {
  std::vector<platform::Rule> fileNameChars;
  std::string tabReplacement;
};

NameCharTables readNameCharTables(const std::filesystem::path& dataFolder) {
  NameCharTables tables;
  tables.fileNameChars = platform::readFileNameCharTable(dataFolder / platform::kFileNameCharTableFileName);
  tables.tabReplacement =
      platform::readProgramSettings(dataFolder / platform::settingsFileNameFor(kWindowExecutable)).tabReplacement;
  return tables;
}

std::string workingFolder() {
  std::error_code ignored;
  return std::filesystem::current_path(ignored).string();
}

std::string withTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder.push_back('/');
  return folder;
}

std::string counted(std::size_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

bool namesNoEntry(std::string_view name) { return name.empty() || name == "." || name == ".."; }

bool holdsLineBreak(std::string_view name) {
  return name.find('\n') != std::string_view::npos || name.find('\r') != std::string_view::npos;
}

class Session {
 public:
  Session(const CommandLine& line, std::ostream& out, std::ostream& err) : m_line(line), m_out(out), m_err(err) {}

  int run() {
    std::optional<std::filesystem::path> folder = dataFolder();
    if (!folder) return kRefused;
    try {
      platform::NameCodec codec(*folder / platform::NameCodec::defaultFileName);
      m_codec = &codec;
      const int status = m_line.kind == CommandKind::Undo ? undo() : rename(*folder);
      return saveCodes(codec, status);
    } catch (const platform::StoredFileError& error) {
      return refuse(error.what());
    } catch (const std::exception& error) {
      m_err << kProgram << error.what() << '\n';
      return m_touchedFiles ? kSomeFailed : kRefused;
    }
  }

 private:
  std::optional<std::filesystem::path> dataFolder() {
    if (!m_line.dataFolder) return platform::dataFolder();
    std::error_code error;
    if (!std::filesystem::is_directory(*m_line.dataFolder, error)) {
      refuse("the data folder " + inQuotes(*m_line.dataFolder) + " is not a folder");
      return std::nullopt;
    }
    return std::filesystem::path(*m_line.dataFolder);
  }

  int rename(const std::filesystem::path& folder) {
    rename::FileList list;
    if (!takeRows(list)) return kRefused;
    if (!planNames(list, folder)) return kRefused;
    return m_line.execute ? execute(list) : showPlan(list);
  }

  // The edit text from the current names through the steps back to the planned names. The text
  // is gone before any file is renamed, and its memory serves the run.
  bool planNames(rename::FileList& list, const std::filesystem::path& folder) {
    PreparedSteps prepared = prepareSteps(m_line.steps, *m_codec);
    if (!prepared.error.empty()) return refused(prepared.error);
    const NameCharTables tables = readNameCharTables(folder);
    editor::TextEditor edit;
    rename::actEditCopyFromOldName(edit, list);
    if (std::optional<StepFailure> failure = runSteps(edit, prepared.steps)) {
      refuseStep(*failure);
      return false;
    }
    if (!rename::ApplyNameCharRules(edit, list, tables.fileNameChars, tables.tabReplacement))
      return refused("the text has " + counted(static_cast<std::size_t>(edit.lineCount()), "line") + " for " +
                     counted(list.size(), "row") + "; the planned names need one line per row");
    return true;
  }

  bool takeRows(rename::FileList& list) {
    const std::string working = workingFolder();
    std::optional<std::string> workingInternal;  // the folder of every PATH without "/"
    std::vector<rename::FileEntry> rows;
    rows.reserve(m_line.paths.size());
    for (const std::string& path : m_line.paths) {
      if (!takeRow(path, working, workingInternal, rows)) return false;
      const std::string& name = rows.back().name;
      if (namesNoEntry(name)) return refused("the PATH " + inQuotes(path) + " names no file");
      if (holdsLineBreak(name))
        return refused("the PATH " + inQuotes(path) + " holds a line break, which a line of names cannot");
    }
    list.append(std::move(rows));
    return true;
  }

  // Appends the row of `path` to `rows`, as normalizedDroppedPath and splitPath make it; a name
  // without "/" is taken in alone, beside the working folder taken in once.
  bool takeRow(const std::string& path, const std::string& working, std::optional<std::string>& workingInternal,
               std::vector<rename::FileEntry>& rows) {
    if (path.find('/') == std::string::npos) {
      if (!workingInternal) workingInternal = pathText(*m_codec, withTrailingSlash(working));
      std::optional<std::string> name = pathText(*m_codec, path);
      if (workingInternal && name) {
        rows.push_back({*workingInternal, std::move(*name), {}});
        return true;
      }
    } else if (std::optional<std::string> full = pathText(*m_codec, rename::normalizedDroppedPath(path, working))) {
      rows.push_back(rename::splitPath(*full));
      return true;
    }
    return refused("the PATH " + inQuotes(path) + " cannot be represented (no name code left)");
  }

  int showPlan(const rename::FileList& list) {
    if (m_line.porcelain) {
      if (std::optional<std::string> path = firstPathUnfitForLines(list, *m_codec))
        return refuse("the path " + inQuotes(*path) + " holds a tab or a line break and cannot be shown as a line");
      m_out << porcelainText(list, *m_codec);
    } else {
      m_out << planText(list, *m_codec);
    }
    if (m_out.flush()) return kSucceeded;
    return refuse("the plan could not be written to standard output");
  }

  int execute(const rename::FileList& list) {
    std::optional<JournalWriter> journal;
    if (m_line.journal && !openJournal(list, journal)) return kRefused;
    rename::SystemFileAccess files;
    m_touchedFiles = true;
    const Execution execution =
        executeRenames(list, files, *m_codec, m_line.overwrite, journal ? &*journal : nullptr);
    const rename::RunReport& report = execution.report;
    if (report.outcome != rename::RunOutcome::Finished) {
      m_touchedFiles = false;
      return refuseRun(report);
    }
    for (const std::string& line : execution.failureLines) m_err << terminalText(*m_codec, line) << '\n';
    if (!execution.journalError.empty())
      m_err << kProgram << "the journal " << inQuotes(*m_line.journal)
            << " misses renames that were made: " << execution.journalError << '\n';
    return report.failed > 0 || !execution.journalError.empty() ? kSomeFailed : kSucceeded;
  }

  // The run's own refusal, in the window's texts: its log line or its error dialog's text.
  int refuseRun(const rename::RunReport& report) {
    for (const std::string& line : report.log) m_err << terminalText(*m_codec, line) << '\n';
    if (!report.errorText.empty()) m_err << terminalText(*m_codec, report.errorText) << '\n';
    if (report.log.empty() && report.errorText.empty()) m_err << kProgram << "the rename run stopped\n";
    return kRefused;
  }

  bool openJournal(const rename::FileList& list, std::optional<JournalWriter>& journal) {
    if (std::optional<std::string> path = firstPathUnfitForLines(list, *m_codec))
      return refused("the path " + inQuotes(*path) + " holds a tab or a line break and cannot be journaled");
    std::string reason;
    journal = JournalWriter::open(*m_line.journal, reason);
    if (!journal) return refused("the journal " + inQuotes(*m_line.journal) + " cannot be opened: " + reason);
    // Renamed by the run, the journal would be found under its old name no more.
    if (journalIsARow(list, *journal))
      return refused("the journal " + inQuotes(*m_line.journal) + " is one of the files to rename");
    return true;
  }

  // Whether a row's current path is the journal file; only rows of the journal's name are looked
  // at on disk.
  bool journalIsARow(const rename::FileList& list, const JournalWriter& journal) {
    const std::optional<std::string> name =
        pathText(*m_codec, std::filesystem::path(*m_line.journal).filename().string());
    if (!name || name->empty()) return false;
    return std::any_of(list.rows().begin(), list.rows().end(), [&](const rename::FileEntry& row) {
      return row.name == *name && journal.isFileAt(m_codec->toNative(row.currentPath()));
    });
  }

  int undo() {
    const std::string& file = *m_line.undoJournal;
    std::optional<std::string> text = platform::readWholeFileStrict(file);
    if (!text) return refuse("the journal " + inQuotes(file) + " does not exist");
    const ParsedJournal parsed = parseJournal(*text);
    if (!parsed.contents)
      return refuse("the journal " + inQuotes(file) + " line " + std::to_string(parsed.badLine) +
                    " is not FROM<TAB>TO");
    rename::SystemFileAccess files;
    m_touchedFiles = true;
    const JournalUndo undone = undoJournal(*parsed.contents, *m_codec, files);
    if (!undone.error.empty()) {
      m_touchedFiles = false;
      return refuse(undone.error);
    }
    reportNotReversed(undone);
    const bool rewritten = rewriteJournal(file, *parsed.contents, undone.reversedLines);
    return undone.report.failed > 0 || !rewritten ? kSomeFailed : kSucceeded;
  }

  void reportNotReversed(const JournalUndo& undone) {
    for (const JournalEntry& entry : undone.notReversed) {
      if (entry.from == entry.to) continue;  // nothing to reverse, and nothing failed
      m_err << kProgram << "not undone: " << shownPath(entry.to) << " -> " << shownPath(entry.from) << '\n';
    }
    if (undone.report.failed > 0) m_err << kProgram << terminalText(*m_codec, undone.report.statusText()) << '\n';
  }

  // Takes the reversed lines out of the journal; false when it could not be written.
  bool rewriteJournal(const std::string& file, const JournalContents& contents, const std::vector<bool>& reversed) {
    if (std::none_of(reversed.begin(), reversed.end(), [](bool line) { return line; })) return true;
    try {
      platform::writeWholeFile(file, journalTextWithout(contents, reversed));
      return true;
    } catch (const platform::StoredFileError& error) {
      m_err << kProgram << error.what() << " (the journal still lists renames that were undone)\n";
      return false;
    }
  }

  int refuseStep(const StepFailure& failure) {
    std::string reason = failure.spelling + ": " + terminalText(*m_codec, failure.message);
    if (failure.position > 0) reason += " (position " + std::to_string(failure.position) + ")";
    return refuse(reason);
  }

  int saveCodes(const platform::NameCodec& codec, int status) {
    try {
      codec.save();
      return status;
    } catch (const platform::StoredFileError& error) {
      m_err << kProgram << error.what() << '\n';
      return std::max(status, static_cast<int>(kSomeFailed));
    }
  }

  int refuse(const std::string& reason) {
    m_err << kProgram << reason << '\n';
    return kRefused;
  }

  bool refused(const std::string& reason) {
    refuse(reason);
    return false;
  }

  // A native path of the journal as the terminal shows names.
  std::string shownPath(const std::string& native) {
    std::optional<std::string> internal = pathText(*m_codec, native);
    return internal ? terminalText(*m_codec, *internal) : native;
  }

  const CommandLine& m_line;
  std::ostream& m_out;
  std::ostream& m_err;
  platform::NameCodec* m_codec = nullptr;
  bool m_touchedFiles = false;
};

}  // namespace

int runCli(std::vector<std::string> arguments, std::ostream& out, std::ostream& err) {
  const ParsedCommandLine parsed = parseCommandLine(std::move(arguments));
  if (!parsed.commandLine) {
    err << kProgram << parsed.error << "\nTry 'namitra-cli --help' for more information.\n";
    return kRefused;
  }
  const CommandLine& line = *parsed.commandLine;
  if (line.kind == CommandKind::Help) {
    out << helpText();
    return kSucceeded;
  }
  if (line.kind == CommandKind::Version) {
    out << "namitra-cli " << NAMITRA_VERSION << '\n';
    return kSucceeded;
  }
  return Session(line, out, err).run();
}

}  // namespace namitra::cli
