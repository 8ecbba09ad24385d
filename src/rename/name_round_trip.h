// The round trip of names between the file list and the edit text.
//
// The planned names are edited as plain text, line i standing for row i; nothing but the index
// ties a line to a row. Entering the edit page with an empty text copies the current names in;
// leaving it cleans the text of characters file names may not hold and, when the text has
// exactly one line per row, makes line i the planned name of row i. Each command returns the
// line it logs (Shift-JIS, from rename/messages.h), or nullopt when it logs nothing.
#pragma once

#include "editor/text_editor.h"
#include "platform/rule_file.h"
#include "rename/file_list.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::rename {

using LogLine = std::optional<std::string>;

// Replaces the edit text by the current names, one line per row, in one bulk update. Nothing
// happens (and nothing is logged) when the list is empty.
LogLine actEditCopyFromOldName(editor::TextEditor& edit, const FileList& list);

// The edit page became the shown page: an empty text is filled from the list; a text that is
// there is never replaced.
LogLine editPageShown(editor::TextEditor& edit, const FileList& list);

// Empties the edit text.
LogLine actEditClear(editor::TextEditor& edit);

// Pastes the clipboard text at the caret, but only while the edit text has the keyboard focus
// (a paste meant for a tool's input box must not land in the names). Logs nothing.
void actEditPaste(editor::TextEditor& edit, bool editHasFocus);

// The text with every key of `fileNameCharTable` (table order, rules without key skipped) and
// then every tab replaced, through the double-byte aware replace-all: no match on a trail byte,
// the inserted value never searched again, the text ending at its first NUL.
std::string cleanNames(std::string_view text, const std::vector<platform::Rule>& fileNameCharTable,
                       std::string_view tabReplacement);

// The file-list page became the shown page: the edit text is set to its cleaned form (which
// empties its undo history), and when its line count equals the row count and is not zero,
// row i's planned name becomes line i. Returns whether the planned names were set; a count
// mismatch is silent and leaves every planned name as it was.
bool ApplyNameCharRules(editor::TextEditor& edit, FileList& list,
                        const std::vector<platform::Rule>& fileNameCharTable,
                        std::string_view tabReplacement);

// Exchanges current and planned name in every row; refused (nothing changed) for an empty list
// or when any planned name is empty.
LogLine actFileListSwapOldNew(FileList& list);

}  // namespace namitra::rename
