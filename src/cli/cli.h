// One run of namitra-cli, from its arguments to its exit status.
//
// A rename command takes the PATHs as rows the way dropped files are taken (made absolute
// against the working folder, trailing "/" dropped, split after the last "/", not checked for
// existence), fills the edit text with their current names, runs the steps, and brings the text
// back as leaving the edit page does: the replacement table of the data folder
// (ValidFileNameChar.rld, or the built-in one) and the tab replacement of the window's settings
// file (namitra.ini, tab_char), then line i becomes the planned name of row i when the counts
// match. Then it prints the plan or, with --execute, renames. --undo reverses a journal, and
// --recover finishes or rolls back the runs that were cut off (cli/recovery.h).
//
// Every run that renames (--execute, --undo) writes a run record to the data folder first
// (rename/run_record.h); a record that cannot be written stops it with nothing renamed. While the
// data folder holds the record of a run that was cut off, --execute and --undo refuse to start:
// renaming over it would leave that run impossible to finish or roll back.
//
// Everything the command refuses is refused before any file is touched, with exit status 2 and
// the reason on standard error: a malformed command line, a text that cannot be represented, a
// file that cannot be read, a step the tool refuses or a malformed pattern, a line count that
// does not match the rows, a journal that is itself one of the files to rename, an unfinished run
// in the data folder, a run record that cannot be written, and the run's own checks (empty and
// duplicate planned names, with the window's texts). Renames that fail once the
// run has started are listed on standard error, one line each, and give exit status 1. Name codes
// assigned during the run are saved at the end.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace namitra::cli {

enum ExitStatus : int { kSucceeded = 0, kSomeFailed = 1, kRefused = 2 };

// `arguments` without the program name; `out` gets the plan, `err` every message.
int runCli(std::vector<std::string> arguments, std::ostream& out, std::ostream& err);

}  // namespace namitra::cli
