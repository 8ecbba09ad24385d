// --execute: the window's rename run over the rows, answering its one question from the
// command line, with each successful rename appended to the journal as it happens.
//
// Without --overwrite the run is the window's with the answer No: an existing file at a planned
// name is never replaced (that rename fails and is reported). With --overwrite every existing
// file at a planned name that is no row's source is replaced, as after the answer Yes, also when
// no row would have raised the question (the window asks only when the stored spelling differs
// from the planned name). The checks before any file is touched, the ordering of chains and
// cycles, and the failure lines are the run's.
//
// Given a recording, the run writes its run record (rename/run_record.h) before its first
// rename and removes it once every rename it made is journaled; a record that cannot be written
// stops the run with nothing renamed (RunOutcome::RecordNotWritten and the run's log line).
#pragma once

#include "cli/journal.h"
#include "platform/name_codec.h"
#include "rename/file_list.h"
#include "rename/file_access.h"
#include "rename/rename_run.h"

#include <string>
#include <vector>

namespace namitra::cli {

struct Execution {
  rename::RunReport report;
  std::vector<std::string> failureLines;  // program text, one per failed rename, in row order
  std::string journalError;               // the reason the first journal line could not be written
};

Execution executeRenames(const rename::FileList& list, rename::FileAccess& files, const platform::NameCodec& codec,
                         bool overwrite, JournalWriter* journal, const rename::RunRecording* recording);

}  // namespace namitra::cli
