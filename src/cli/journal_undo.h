// --undo: the renames of a journal reversed, and the reversed lines taken out of it.
//
// The journal's renames become the records of a change history, oldest first and all checked,
// and the history's own undo reverses them: newest first, as one batch with the ordering rules
// of a rename run (a chain a->b, b->c is unwound c->b first; a swap goes through a temporary
// name), never replacing a file. A record whose reversal failed stays in the history; every
// other one is gone, so the journal keeps exactly the lines that were not reversed.
#pragma once

#include "cli/journal.h"
#include "platform/name_codec.h"
#include "rename/file_access.h"
#include "rename/rename_run.h"

#include <string>
#include <vector>

namespace namitra::cli {

struct JournalUndo {
  std::vector<bool> reversedLines;          // one flag per line of the journal
  std::vector<JournalEntry> notReversed;    // oldest first
  rename::UndoReport report;
  std::string error;  // UTF-8; set (and nothing renamed) when a path cannot be taken in
};

JournalUndo undoJournal(const JournalContents& journal, platform::NameCodec& codec, rename::FileAccess& files);

}  // namespace namitra::cli
