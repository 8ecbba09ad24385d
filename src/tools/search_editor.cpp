#include "tools/search_editor.h"

#include "sjis/case.h"
#include "sjis/char.h"
#include "sjis/replace.h"
#include "tools/char_class.h"

namespace namitra::tools {
namespace {

constexpr int kFarthestHitStart = 1000;

// Ends a text-editing bracket on every way out of ReplaceAll.
class UpdateBracket {
 public:
  UpdateBracket(editor::TextEditor& edit, bool open) : m_edit(open ? &edit : nullptr) {
    if (m_edit) m_edit->beginUpdate();
  }
  ~UpdateBracket() {
    if (m_edit) m_edit->endUpdate();
  }
  UpdateBracket(const UpdateBracket&) = delete;
  UpdateBracket& operator=(const UpdateBracket&) = delete;

 private:
  editor::TextEditor* m_edit;
};

}  // namespace

SearchOptions normalizedSearchOptions(SearchOptions requested) {
  using enum SearchOption;
  SearchOptions result;
  if (requested.has(soRegexp)) {
    result = result.with(soRegexp);
    if (requested.has(soFuzzy)) result = result.with(soFuzzy);
  } else if (requested.has(soWholeWord)) {
    result = result.with(soWholeWord);
  }
  if (requested.has(soMatchCase)) result = result.with(soMatchCase);
  return result;
}

SearchEditor::SearchEditor(editor::TextEditor& edit) : m_edit(edit) {}

void SearchEditor::setSearchOptions(SearchOptions options) {
  if (options == m_options) return;
  m_options = normalizedSearchOptions(options);
  if (options.has(SearchOption::soRegexp))
    m_finder.setUseFuzzyDict(options.has(SearchOption::soFuzzy));
}

int SearchEditor::CollectLineHits(int lineIndex) {
  m_hits.clear();
  const bool exists = lineIndex >= 0 && lineIndex < m_edit.lineCount();
  const std::string_view line = exists ? std::string_view(m_edit.line(lineIndex)) : std::string_view();
  std::string pattern = m_findString;
  std::string searched(line);
  if (!m_options.has(SearchOption::soMatchCase)) {
    sjis::toLowerInPlace(pattern);
    sjis::toLowerInPlace(searched);
  }
  if (!m_options.has(SearchOption::soRegexp)) return collectLiteralHits(line, searched, pattern);

  m_finder.setRegExp(pattern);
  const bool lastWithoutLineEnd =
      !exists || (lineIndex == m_edit.lineCount() - 1 && m_edit.row(lineIndex).end == editor::RowEnd::Eof);
  if (!lastWithoutLineEnd) searched += "\r\n";
  return m_finder.FindAll(line, searched, m_hits);
}

int SearchEditor::collectLiteralHits(std::string_view line, std::string_view searched,
                                     std::string_view pattern) {
  if (pattern.empty()) return 0;
  const std::size_t n = pattern.size();
  // After an occurrence the search goes on at the next character boundary; that is right after
  // the occurrence unless the pattern ends in a lead byte that the text pairs with its next byte.
  const bool endsInLoneLeadByte =
      sjis::isLeadByte(pattern.back()) && sjis::charStartAt(pattern, n - 1) == n - 1;
  const std::size_t step = endsInLoneLeadByte ? n + 1 : n;
  const bool wholeWord = m_options.has(SearchOption::soWholeWord);
  for (std::size_t p = sjis::findText(searched, pattern); p != std::string_view::npos;) {
    const int position = static_cast<int>(p) + 1;
    if (!wholeWord || IsWholeWordHit(searched, position, static_cast<int>(n)))
      m_hits.push_back({position, static_cast<int>(n), std::string(line.substr(p, n))});
    if (p + step > searched.size()) break;
    p = sjis::findText(searched, pattern, p + step);
  }
  return static_cast<int>(m_hits.size());
}

bool SearchEditor::IsWholeWordHit(std::string_view text, int position, int length) const {
  if (position < 0 || static_cast<std::size_t>(position) > text.size()) return false;
  const int first = CharClassAt(text, position);
  const int last = CharClassAt(text, position + length - 1);
  const int before = CharClassAt(text, position - 1);
  const int after = CharClassAt(text, position + length);
  return first != before && last != after;
}

const regex::SearchHit* SearchEditor::firstHitAfter(int lineIndex, int offset) {
  CollectLineHits(lineIndex);
  for (const regex::SearchHit& hit : m_hits) {
    if (hit.position <= offset) continue;
    return hit.position > kFarthestHitStart ? nullptr : &hit;
  }
  return nullptr;
}

bool SearchEditor::FindNextHit() {
  int line = m_edit.caret().row;
  const regex::SearchHit* hit = firstHitAfter(line, m_edit.caretByteOffset());
  while (!hit && line < m_edit.lineCount() - 1) hit = firstHitAfter(++line, 0);
  if (!hit) return false;
  m_edit.selectHit(line, hit->position - 1, hit->length);
  return true;
}

int SearchEditor::ReplaceAll(std::string_view replacement, bool noUpdateBracket) {
  UpdateBracket bracket(m_edit, !noUpdateBracket);
  m_edit.MoveCaret(0, 0);
  int count = 0;
  while (FindNextHit()) {
    m_edit.ReplaceSelection(replacement);
    ++count;
  }
  return count;
}

}  // namespace namitra::tools
