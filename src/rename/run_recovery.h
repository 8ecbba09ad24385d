// Recovery of a run that was cut off: finishing it or rolling it back from its run record.
//
// Each step's file is found by its identity at one of the places the run may have left it: its
// old path, its reserved temporary, its new path; for a step between file systems, the copy's
// identity (from the record's "copied" line) tells the finished copy from a half-written one,
// and the scratch copy and the replaced target set aside are looked for in the target's folder.
// A path below a folder that another step renames is also looked for below that folder's new
// path and its temporary, so rows inside a renamed folder are found wherever the folder is.
//
// Rolling back goes through the steps newest first and puts each file back at its old path;
// finishing goes through them in their order and puts each at its new path (replacing an
// existing file only where the step was allowed to). A file whose place is held by another
// file of the run waits at its temporary until the end, so swaps and cycles resolve. A file
// whose place is held by a file that is not the run's is not moved over it: it goes to (or
// stays at) its other end, and the report says so. Half-written copies are deleted, a replaced
// target set aside is put back (rollback) or deleted once its replacement stands (finish).
// Recovery itself moves files only among those places, so a recovery that is cut off can be
// run again. Afterwards no temporary or scratch name of the run is left.
#pragma once

#include "rename/file_access.h"
#include "rename/run_record.h"

#include <cstddef>
#include <string>
#include <vector>

namespace namitra::rename {

enum class RecoveryDirection { Finish, Rollback };

enum class StepPlace {
  AtFrom,   // the file is at its old path
  AtTo,     // the file is at its new path
  Missing,  // the file was not found at any of its places (moved or deleted by someone else)
  Stuck,    // the file could not be put at either end and stays at `leftAt`
};

struct RecoveredStep {
  StepPlace place = StepPlace::Missing;
  std::string leftAt;  // for Stuck: the native path it stays at
  std::string reason;  // why it is not where the direction wanted it; empty when it is
};

struct RecoveryMove {
  std::string from;  // native paths
  std::string to;
};

struct RecoveryReport {
  std::vector<RecoveredStep> steps;  // one per step of the record, in its order
  std::vector<RecoveryMove> moves;   // every move recovery made, in order (temporaries included)
  // True when every step's file ended where the direction wanted it: at `to` (finish) or at
  // `from` (rollback).
  bool complete = false;
};

RecoveryReport recoverRun(const RunRecord& record, RecoveryDirection direction, FileAccess& files);

}  // namespace namitra::rename
