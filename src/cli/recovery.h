// --recover: every run of the data folder that was cut off (a crash, a kill, a power cut),
// finished or rolled back from its run record, oldest first.
//
// Each record is claimed (locked) before it is acted on, so a run still going on and another
// recovery are left alone. A record that was cut off while being written belongs to a run that
// renamed nothing and is simply removed. Any other is recovered (rename/run_recovery.h), then
// the journal it names, if any, is brought in line with the disk, then the record is removed:
//   - after a rename run, the journal is cut back to its size before the run and gets one line
//     for every step whose file ends at its new name, in the order of the steps;
//   - after an undo, the journal lines of the steps whose file ends at its new name are taken
//     out (their reversal stands) and the others are kept. A line is taken out only when it is
//     still the line the step reverses; when the undo had already rewritten the journal before
//     it was cut off, the steps whose reversal was rolled back get their line again, at the end.
// The journal is replaced whole and atomically. When that fails the record stays, so that the
// recovery can be run again: the files are found where this one left them, and the journal is
// as it was.
//
// Standard output gets one line "WAS -> IS" per file that recovery moved, in the order of the
// record's steps: the path the file was found at (the reserved temporary name when the run was
// cut off while the file was parked there) and the path it ends at; the hops through temporary
// names in between are not shown. Standard error gets one line per step whose file is not where
// the direction wanted it, with the reason.
#pragma once

#include "cli/command_line.h"
#include "rename/file_access.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>

namespace namitra::cli {

struct RecoveryOutput {
  std::ostream& out;
  std::ostream& err;
  // A native path as the terminal shows it.
  std::function<std::string(const std::string& native)> shownPath;
};

struct RecoveryTally {
  std::size_t runs = 0;   // records claimed
  bool complete = true;   // every file where it was asked to be, every journal and record done
};

RecoveryTally recoverUnfinishedRuns(const std::filesystem::path& dataFolder, RecoveryChoice choice,
                                    rename::FileAccess& files, const RecoveryOutput& output);

}  // namespace namitra::cli
