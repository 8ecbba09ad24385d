// Fuzz target for the text form of keystroke macros: arbitrary bytes as a saved macro.
//
// A load either succeeds (state Ready) or fails with an empty recording, state Empty and the
// error dialog. A loaded recording must survive saving and loading again unchanged, and must
// play into an editor without harm; the editor's rows must stay sound afterwards.
#include <cstdint>
#include <sstream>
#include <string>

#include "editor/key_macro.h"
#include "editor/text_editor.h"
#include "fuzz_support.h"

namespace {

using namespace namitra;
using namespace namitra::editor;
using fuzz::require;

void requireSoundRows(const TextEditor& editor) {
  for (int i = 0; i < editor.rowCount(); ++i) {
    require(editor.row(i).text.find_first_of("\r\n") == std::string::npos);
    if (i + 1 < editor.rowCount()) require(editor.row(i).end == RowEnd::CrLf);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  KeyMacro macro;
  int errors = 0;
  macro.setShowDialog(true);
  macro.setDialogHandler([&](MacroDialogKind kind, const std::string&) { errors += kind == MacroDialogKind::Error; });
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  if (!macro.LoadMacroText(in)) {
    require(macro.state() == MacroState::Empty && macro.records().empty() && errors == 1);
    return 0;
  }
  require(macro.state() == MacroState::Ready && errors == 0);

  std::ostringstream saved;
  macro.SaveMacroText(saved);
  KeyMacro reloaded;
  std::istringstream savedIn(saved.str());
  require(reloaded.LoadMacroText(savedIn));
  require(reloaded.records() == macro.records());

  // Long recordings add nothing but time (select all, copy, paste doubles the text each time).
  if (macro.records().size() > 64) return 0;
  TextEditor editor;
  editor.setText("first\r\n\x82\xa0 second\r\nthird");
  EditorMacroControl control(editor);
  macro.setControl(&control);
  macro.Play();
  require(macro.state() == MacroState::Ready);
  requireSoundRows(editor);
  return 0;
}
