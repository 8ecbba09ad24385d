// The search-and-replace command (actReplaceExecute) without its widgets: the two history
// files, the option set built from the four check boxes, and the editor's replace-all.
//
// The command writes nothing to the message log. The histories are updated before the search
// runs, so a malformed pattern (RegexSyntaxError, shown by the general error dialog) leaves
// them updated and the edit text unchanged.
#pragma once

#include "tools/search_editor.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::tools {

inline constexpr const char* kSearchHistoryFileName = "RegReplaceSrc.lst";
inline constexpr const char* kReplacementHistoryFileName = "RegReplaceDst.lst";

// The dialog text for an empty search box: "検索文字列が設定されていません".
inline constexpr const char* kNoSearchTextMessage =
    "\x8c\x9f\x8d\xf5\x95\xb6\x8e\x9a\x97\xf1\x82\xaa\x90\xdd\x92\xe8\x82\xb3\x82\xea\x82\xc4\x82"
    "\xa2\x82\xdc\x82\xb9\x82\xf1";

struct ReplaceCheckBoxes {
  bool matchCase = false;
  bool wholeWord = false;
  bool regexp = true;
  bool fuzzy = false;
};

// The option set the boxes give (what applyCheckBoxes leaves in the editor).
SearchOptions buildSearchOptions(ReplaceCheckBoxes boxes);

// Sets the editor's options from the boxes as the command does: from the empty set, adding
// match case, whole word, regular expression and fuzzy in this order, each addition normalised
// by the editor.
void applyCheckBoxes(SearchEditor& editor, ReplaceCheckBoxes boxes);

// Steps 2 to 6 of the command for a non-empty `search`: promotes it in the search history and
// `replacement` (unless empty) in the replacement history, each list read from its file in
// `dataFolder` first and written back; then sets the options and the find string and replaces
// every hit. The two lists are the boxes' drop-down lists, in and out. Returns the count.
int runSearchAndReplace(SearchEditor& editor, std::string_view search, std::string_view replacement,
                        ReplaceCheckBoxes boxes, const std::filesystem::path& dataFolder,
                        std::vector<std::string>& searchHistory,
                        std::vector<std::string>& replacementHistory);

}  // namespace namitra::tools
