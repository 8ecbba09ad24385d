// The editor model on an edit text of 100,000 lines, one planned file name per line: loading the
// whole text, appending every line in one update bracket, putting every line, one undo and one
// redo of a whole-text change, and typing in the middle of the text.
#include <benchmark/benchmark.h>

#include <string>

#include "editor/text_editor.h"

namespace namitra::editor {
namespace {

constexpr int kLines = 100000;

std::string lineText(int index) {
  return "photo_" + std::to_string(index) + "_\x8e\xca\x90\x5e.jpg";  // 写真 in Shift-JIS
}

std::string wholeText(const char* prefix) {
  std::string text;
  for (int i = 0; i < kLines; ++i) text += prefix + lineText(i) + "\r\n";
  return text;
}

void BM_SetWholeText(benchmark::State& state) {
  std::string text = wholeText("");
  TextEditor editor;
  for (auto _ : state) editor.setText(text);
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_SetWholeText)->Unit(benchmark::kMillisecond);

void BM_AddLinesInOneUpdate(benchmark::State& state) {
  std::vector<std::string> lines;
  for (int i = 0; i < kLines; ++i) lines.push_back(lineText(i));
  TextEditor editor;
  for (auto _ : state) {
    editor.clearLines();
    editor.beginUpdate();
    for (const std::string& line : lines) editor.addLine(line);
    editor.endUpdate();
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_AddLinesInOneUpdate)->Unit(benchmark::kMillisecond);

void BM_PutEveryLine(benchmark::State& state) {
  TextEditor editor;
  editor.setText(wholeText(""));
  std::vector<std::string> lines;
  for (int i = 0; i < kLines; ++i) lines.push_back("new_" + lineText(i));
  for (auto _ : state) {
    editor.beginUpdate();
    for (int i = 0; i < kLines; ++i) editor.putLine(i, lines[i]);
    editor.endUpdate();
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_PutEveryLine)->Unit(benchmark::kMillisecond);

// A whole-text change as one step: everything selected and replaced.
void prepareWholeTextChange(TextEditor& editor) {
  editor.setText(wholeText(""));
  editor.selectAll();
  editor.ReplaceSelection(wholeText("x"));
}

void BM_UndoWholeTextChange(benchmark::State& state) {
  TextEditor editor;
  prepareWholeTextChange(editor);
  for (auto _ : state) {
    editor.Undo();
    state.PauseTiming();
    editor.Redo();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_UndoWholeTextChange)->Unit(benchmark::kMillisecond);

void BM_RedoWholeTextChange(benchmark::State& state) {
  TextEditor editor;
  prepareWholeTextChange(editor);
  for (auto _ : state) {
    state.PauseTiming();
    editor.Undo();
    state.ResumeTiming();
    editor.Redo();
  }
}
BENCHMARK(BM_RedoWholeTextChange)->Unit(benchmark::kMillisecond);

void BM_UndoOneLineChange(benchmark::State& state) {
  TextEditor editor;
  editor.setText(wholeText(""));
  editor.putLine(kLines / 2, "changed");
  for (auto _ : state) {
    editor.Undo();
    editor.Redo();
  }
}
BENCHMARK(BM_UndoOneLineChange)->Unit(benchmark::kMicrosecond);

void BM_TypeCharacterInTheMiddle(benchmark::State& state) {
  TextEditor editor;
  editor.setViewSize(40, 100);
  editor.setText(wholeText(""));
  editor.MoveCaret(kLines / 2, 3);
  for (auto _ : state) {
    editor.postMessage(InputMessage::keyDown('X'));
    editor.postMessage(InputMessage::character('x'));
    editor.processMessages();
    editor.sendMessage(InputMessage::keyDown(vk::Back));  // keeps the line from growing
  }
}
BENCHMARK(BM_TypeCharacterInTheMiddle)->Unit(benchmark::kMicrosecond);

void BM_EnterInTheMiddle(benchmark::State& state) {
  TextEditor editor;
  editor.setViewSize(40, 100);
  editor.setText(wholeText(""));
  editor.MoveCaret(kLines / 2, 3);
  for (auto _ : state) {
    editor.sendMessage(InputMessage::keyDown(vk::Return));
    editor.sendMessage(InputMessage::keyDown(vk::Back));
  }
}
BENCHMARK(BM_EnterInTheMiddle)->Unit(benchmark::kMicrosecond);

void BM_ScrollAndMoveCaret(benchmark::State& state) {
  TextEditor editor;
  editor.setViewSize(40, 100);
  editor.setText(wholeText(""));
  editor.MoveCaret(kLines / 2, 0);
  bool down = true;
  for (auto _ : state) {
    editor.ScrollRows(down ? 1 : -1);
    editor.sendMessage(InputMessage::keyDown(down ? vk::Down : vk::Up));
    down = !down;
  }
}
BENCHMARK(BM_ScrollAndMoveCaret)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace namitra::editor

BENCHMARK_MAIN();
