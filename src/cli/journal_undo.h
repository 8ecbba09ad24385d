// --undo: the renames of a journal reversed, and the reversed lines taken out of it.
//
// The journal's complete lines become the records of a change history, oldest first, all
// checked and each with the identity its line names; the history's own undo reverses them:
// newest first, in stretches, each stretch as one batch with the ordering rules of a rename run
// (a chain a->b, b->c is unwound c->b first; a swap goes through a temporary name), never
// replacing a file, and never moving a file that is not the one the line names. So a second
// undo of the same journal, or a line whose new name has since been given to another file,
// moves nothing.
//
// Each stretch writes its run record first (rename/run_record.h), naming the journal and the
// journal line of each of its steps; after each stretch the journal is rewritten without every
// line reversed so far, before that record is removed, so that the journal agrees with the disk
// whenever no run record is left.
#pragma once

#include "cli/journal.h"
#include "platform/name_codec.h"
#include "rename/file_access.h"
#include "rename/rename_run.h"

#include <filesystem>
#include <string>
#include <vector>

namespace namitra::cli {

struct JournalToUndo {
  std::string path;  // native and absolute: recovery may run from another working folder
  JournalContents contents;
};

struct JournalUndo {
  std::vector<bool> reversedLines;        // one flag per line of the journal
  std::vector<JournalEntry> notReversed;  // oldest first
  rename::UndoReport report;
  std::string error;         // UTF-8; set (and nothing renamed) when a path cannot be taken in
  std::string journalError;  // why the journal could not be rewritten; empty when it was
};

JournalUndo undoJournal(const JournalToUndo& journal, const std::filesystem::path& dataFolder,
                        platform::NameCodec& codec, rename::FileAccess& files);

}  // namespace namitra::cli
