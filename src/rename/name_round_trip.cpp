#include "rename/name_round_trip.h"

#include "rename/messages.h"
#include "sjis/replace.h"

#include <algorithm>

namespace namitra::rename {

namespace {

bool hasEmptyPlannedName(const FileList& list) {
  return std::any_of(list.rows().begin(), list.rows().end(),
                     [](const FileEntry& row) { return row.plannedName.empty(); });
}

bool isEmptyText(const editor::TextEditor& edit) {
  return edit.lineCount() == 0 || (edit.lineCount() == 1 && edit.text().empty());
}

}  // namespace

LogLine actEditCopyFromOldName(editor::TextEditor& edit, const FileList& list) {
  if (list.empty()) return std::nullopt;
  // One change of the whole text instead of one per line keeps 100,000 rows immediate.
  std::string names;
  for (const FileEntry& row : list.rows()) names.append(row.name).append("\r\n");
  edit.beginUpdate();
  edit.clearLines();
  edit.ReplaceRows(0, 0, names);
  edit.endUpdate();
  return text::kCopiedFromFileList;
}

LogLine editPageShown(editor::TextEditor& edit, const FileList& list) {
  if (!isEmptyText(edit)) return std::nullopt;
  return actEditCopyFromOldName(edit, list);
}

LogLine actEditClear(editor::TextEditor& edit) {
  edit.clearLines();
  return text::kEditTextCleared;
}

void actEditPaste(editor::TextEditor& edit, bool editHasFocus) {
  if (editHasFocus) edit.PasteFromClipboard();
}

std::string cleanNames(std::string_view text, const std::vector<platform::Rule>& fileNameCharTable,
                       std::string_view tabReplacement) {
  std::string result = sjis::replaceAll(text, {}, {});  // only cuts at the first NUL
  for (const platform::Rule& rule : fileNameCharTable) {
    if (!rule.applies()) continue;
    result = sjis::replaceAll(result, rule.key, rule.value);
  }
  return sjis::replaceAll(result, "\t", tabReplacement);
}

bool ApplyNameCharRules(editor::TextEditor& edit, FileList& list,
                        const std::vector<platform::Rule>& fileNameCharTable,
                        std::string_view tabReplacement) {
  edit.setText(cleanNames(edit.text(), fileNameCharTable, tabReplacement));
  const std::size_t lines = static_cast<std::size_t>(edit.lineCount());
  if (lines == 0 || lines != list.size()) return false;
  for (std::size_t i = 0; i < lines; ++i) list.row(i).plannedName = edit.line(static_cast<int>(i));
  return true;
}

LogLine actFileListSwapOldNew(FileList& list) {
  if (list.empty()) return text::kNoFilesRegistered;
  if (hasEmptyPlannedName(list)) return text::kBlankPlannedName;
  for (std::size_t i = 0; i < list.size(); ++i) std::swap(list.row(i).name, list.row(i).plannedName);
  return text::kNamesSwapped;
}

}  // namespace namitra::rename
