#include "tools/search_replace.h"

#include "rename/recent_list.h"

namespace namitra::tools {

namespace {

// The boxes' options in the order the command adds them.
std::vector<SearchOption> tickedInOrder(ReplaceCheckBoxes boxes) {
  using enum SearchOption;
  std::vector<SearchOption> ticked;
  if (boxes.matchCase) ticked.push_back(soMatchCase);
  if (boxes.wholeWord) ticked.push_back(soWholeWord);
  if (boxes.regexp) ticked.push_back(soRegexp);
  if (boxes.fuzzy) ticked.push_back(soFuzzy);
  return ticked;
}

}  // namespace

SearchOptions buildSearchOptions(ReplaceCheckBoxes boxes) {
  SearchOptions options;
  for (SearchOption option : tickedInOrder(boxes))
    options = normalizedSearchOptions(options.with(option));
  return options;
}

void applyCheckBoxes(SearchEditor& editor, ReplaceCheckBoxes boxes) {
  editor.setSearchOptions({});
  for (SearchOption option : tickedInOrder(boxes))
    editor.setSearchOptions(editor.searchOptions().with(option));
}

int runSearchAndReplace(SearchEditor& editor, std::string_view search, std::string_view replacement,
                        ReplaceCheckBoxes boxes, const std::filesystem::path& dataFolder,
                        std::vector<std::string>& searchHistory,
                        std::vector<std::string>& replacementHistory) {
  rename::promoteInListFile(dataFolder / kSearchHistoryFileName, searchHistory, search);
  rename::promoteInListFile(dataFolder / kReplacementHistoryFileName, replacementHistory,
                            replacement);
  applyCheckBoxes(editor, boxes);
  editor.setFindString(std::string(search));
  return editor.ReplaceAll(replacement, true);
}

}  // namespace namitra::tools
