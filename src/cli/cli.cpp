#include "cli/cli.h"

#include "cli/argument_text.h"
#include "cli/command_line.h"
#include "cli/execution.h"
#include "cli/journal.h"
#include "cli/journal_undo.h"
#include "cli/name_steps.h"
#include "cli/plan_output.h"
#include "cli/recovery.h"
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
#include "rename/messages.h"
#include "rename/run_record.h"

#include <algorithm>
#include <cstdlib>
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
      return saveCodes(codec, command(*folder));
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

  int command(const std::filesystem::path& folder) {
    switch (m_line.kind) {
      case CommandKind::Undo: return undo(folder);
      case CommandKind::Recover: return recover(folder);
      default: return rename(folder);
    }
  }

  int rename(const std::filesystem::path& folder) {
    rename::FileList list;
    if (!takeRows(list)) return kRefused;
    if (!planNames(list, folder)) return kRefused;
    return m_line.execute ? execute(list, folder) : showPlan(list);
  }

  // A run cut off leaves its record; renaming on top of it would make it unrecoverable.
  bool refusedForUnfinishedRun(const std::filesystem::path& folder) {
    if (!rename::hasUnfinishedRun(folder)) return false;
    refuse("an unfinished run is in the data folder " + shownFolder(folder) +
           "; run 'namitra-cli --recover finish' or 'namitra-cli --recover rollback' first");
    return true;
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
    } else if (std::optional<std::string> full =
                   pathText(*m_codec, withCanonicalFolder(rename::normalizedDroppedPath(path, working)))) {
      rows.push_back(rename::splitPath(*full));
      return true;
    }
    return refused("the PATH " + inQuotes(path) + " cannot be represented (no name code left)");
  }

  // `path` with its folder free of symbolic links, "." and ".." where that folder exists, as the
  // rename batch resolves it. The journal then names each file where a later undo finds it: the
  // row "../sub" of a run that renames "sub" and a file inside it is journaled as the folder's
  // own path, not as a path through the old name. Rows of one folder usually follow each other,
  // so the last folder's answer is kept.
  std::string withCanonicalFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return path;
    const std::string folder = path.substr(0, slash);
    if (folder != m_lastFolder) {
      m_lastFolder = folder;
      char* resolved = ::realpath(folder.c_str(), nullptr);
      m_lastCanonical = resolved ? withTrailingSlash(resolved) : folder + "/";
      std::free(resolved);
    }
    return m_lastCanonical + path.substr(slash + 1);
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

  int execute(const rename::FileList& list, const std::filesystem::path& folder) {
    if (refusedForUnfinishedRun(folder)) return kRefused;
    std::optional<JournalWriter> journal;
    if (m_line.journal && !openJournal(list, journal)) return kRefused;
    rename::RunRecording recording = cliRecording(folder);
    if (journal) {
      recording.journal = absoluteNative(*m_line.journal);
      recording.journalSize = journal->sizeWhenOpened();
    }
    rename::SystemFileAccess files;
    m_touchedFiles = true;
    const Execution execution =
        executeRenames(list, files, *m_codec, m_line.overwrite, journal ? &*journal : nullptr, &recording);
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

  static rename::RunRecording cliRecording(const std::filesystem::path& folder) {
    rename::RunRecording recording;
    recording.dataFolder = folder;
    recording.origin = "cli";
    return recording;
  }

  // The journal's path as recovery and the stretches of an undo find it from any working
  // folder, also after the run renamed a folder the path went through.
  std::string absoluteNative(const std::string& path) {
    return withCanonicalFolder(rename::normalizedDroppedPath(path, workingFolder()));
  }

  bool openJournal(const rename::FileList& list, std::optional<JournalWriter>& journal) {
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

  int undo(const std::filesystem::path& folder) {
    if (refusedForUnfinishedRun(folder)) return kRefused;
    const std::string& file = *m_line.undoJournal;
    std::optional<std::string> text = platform::readWholeFileStrict(file);
    if (!text) return refuse("the journal " + inQuotes(file) + " does not exist");
    const JournalToUndo journal{absoluteNative(file), parseJournal(*text)};
    for (const IgnoredLine& line : journal.contents.ignored)
      m_err << kProgram << "journal line " << line.line + 1 << " ignored: " << line.why << '\n';
    rename::SystemFileAccess files;
    m_touchedFiles = true;
    const JournalUndo undone = undoJournal(journal, folder, *m_codec, files);
    if (!undone.error.empty()) {
      m_touchedFiles = false;
      return refuse(undone.error);
    }
    const rename::UndoReport& report = undone.report;
    if (report.recordNotWritten) {
      m_err << terminalText(*m_codec, rename::text::kRecordNotWritten + report.firstReason) << '\n';
      if (report.undone == 0) return kRefused;  // nothing was renamed
    }
    reportNotReversed(undone, files);
    if (!undone.journalError.empty())
      m_err << kProgram << undone.journalError << " (the journal still lists renames that were undone)\n";
    const bool everyLineUndone =
        journal.contents.ignored.empty() && report.failed == 0 && !report.recordNotWritten;
    return everyLineUndone && undone.journalError.empty() ? kSucceeded : kSomeFailed;
  }

  // One line per journal line that stays; where the journal's own identity tells why, the line
  // says so, and the undo's first reason follows as in the history window's status bar.
  void reportNotReversed(const JournalUndo& undone, rename::FileAccess& files) {
    for (const JournalEntry& entry : undone.notReversed) {
      if (entry.from == entry.to) continue;  // nothing to reverse, and nothing failed
      m_err << kProgram << "not undone: " << shownPath(entry.to) << " -> " << shownPath(entry.from);
      const rename::FileIdentity now = files.identity(entry.to);
      if (!now.known())
        m_err << ": the file is no longer there";
      else if (!now.sameFileAs(entry.identity))
        m_err << ": another file is there now";
      m_err << '\n';
    }
    if (undone.report.failed > 0) m_err << kProgram << terminalText(*m_codec, undone.report.statusText()) << '\n';
  }

  int recover(const std::filesystem::path& folder) {
    rename::SystemFileAccess files;
    m_touchedFiles = true;
    const RecoveryOutput output{m_out, m_err, [this](const std::string& native) { return shownPath(native); }};
    const RecoveryTally tally = recoverUnfinishedRuns(folder, m_line.recovery, files, output);
    if (tally.runs == 0) return refuse("no unfinished run in the data folder " + shownFolder(folder));
    return tally.complete ? kSucceeded : kSomeFailed;
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

  // A native path as the terminal shows names.
  std::string shownPath(const std::string& native) {
    std::optional<std::string> internal = pathText(*m_codec, native);
    return internal ? terminalText(*m_codec, *internal) : native;
  }

  // The data folder as the terminal shows paths, without the trailing "/" it may have.
  std::string shownFolder(const std::filesystem::path& folder) {
    std::string text = folder.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return shownPath(text);
  }

  const CommandLine& m_line;
  std::ostream& m_out;
  std::ostream& m_err;
  platform::NameCodec* m_codec = nullptr;
  bool m_touchedFiles = false;
  std::string m_lastFolder;     // of withCanonicalFolder
  std::string m_lastCanonical;
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
