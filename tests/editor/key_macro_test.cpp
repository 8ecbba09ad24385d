// The keystroke macro recorder over a real editor: recording through the editor's hook with a
// main window's two shortcuts (Shift+F1 record, Shift+F2 play) behind it, playback with the
// recorded modifier states, cancellation and replayed keys that pull the ground away, and the
// text form with its failure rules.
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "../platform/temp_folder.h"
#include "editor/key_macro.h"
#include "editor_test_util.h"
#include "platform/stored_file_error.h"

namespace namitra::editor {
namespace {

using testing::dump;
using testing::kA;
using testing::kI;

constexpr std::uint8_t kDown = kKeyDownState;

InputMessage shifted(std::uint16_t key) { return InputMessage::keyDown(key, true); }

constexpr std::uint16_t kF2 = vk::F1 + 1;
constexpr std::uint16_t kF3 = vk::F1 + 2;

// The main window as far as the recorder sees it: its record command toggles as the window's
// does (stop while recording or playing, start otherwise), its play command plays, Ctrl+1
// switches tabs, and a test may put one more command on F3.
struct FakeWindow {
  KeyMacro* macro = nullptr;
  bool recordingTitle = false;
  int recordCommands = 0;
  int playCommands = 0;
  int tabSwitches = 0;
  std::function<void()> f3;

  bool shortcut(const InputMessage& key) {
    bool shift_only = key.shiftDown() && !key.ctrlDown() && !key.altDown();
    if (shift_only && key.code == vk::F1) {
      actEditMacroRec();
    } else if (shift_only && key.code == kF2) {
      ++playCommands;
      macro->Play();
    } else if (key.ctrlDown() && key.code == '1') {
      ++tabSwitches;
    } else if (key.code == kF3 && f3) {
      f3();
    } else {
      return false;
    }
    return true;
  }

  void actEditMacroRec() {
    ++recordCommands;
    MacroState state = macro->state();
    recordingTitle = !(state == MacroState::Recording || state == MacroState::Playing);
    recordingTitle ? macro->StartRecording() : macro->StopRecording();
  }
};

class KeyMacroTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_editor.setViewSize(10, 40);
    m_window.macro = m_macro.get();
    m_control.setWindowShortcuts(
        [this](const InputMessage& key) { return m_window.shortcut(key); });
    m_macro->setControl(&m_control);
    m_macro->setOnChange([this](KeyMacro& macro) { m_states.push_back(macro.state()); });
    m_macro->setDialogHandler([this](MacroDialogKind kind, const std::string& text) {
      m_dialogs.push_back((kind == MacroDialogKind::Error ? "error: " : "info: ") + text);
    });
  }

  // One key press as the widget delivers it: the hook sees the key-down, then the shortcuts may
  // take it, else the editor does; then one character message per byte of the key's text.
  void press(InputMessage key, std::string_view text = {}) {
    m_editor.offerToHook(key);
    if (!m_control.sendNotification(key)) m_editor.handleMessage(key);
    for (char byte : text) {
      InputMessage character = InputMessage::character(static_cast<unsigned char>(byte));
      character.shift = key.shift;
      m_editor.postMessage(character);
    }
    m_editor.processMessages();
  }

  // Letters and digits come with their key-down; other characters with an unknown key.
  void typeAscii(std::string_view text) {
    for (char c : text) {
      auto byte = static_cast<unsigned char>(c);
      auto key = static_cast<std::uint16_t>(std::isalnum(byte) ? std::toupper(byte) : 0);
      press(InputMessage::keyDown(key, std::isupper(byte)), std::string(1, c));
    }
  }

  void record(const std::function<void()>& keys) {
    press(shifted(vk::F1));
    ASSERT_EQ(m_macro->state(), MacroState::Recording);
    keys();
    press(shifted(vk::F1));
    ASSERT_EQ(m_macro->state(), MacroState::Ready);
  }

  void setRecords(const KeyRecordList& records) {
    std::ostringstream text;
    for (const KeyRecord& r : records) text << macroTextLine(r) << "\r\n";
    std::istringstream in(text.str());
    ASSERT_TRUE(m_macro->LoadMacroText(in));
  }

  std::string saved() const {
    std::ostringstream out;
    m_macro->SaveMacroText(out);
    return out.str();
  }

  bool load(const std::string& text) {
    std::istringstream in(text);
    return m_macro->LoadMacroText(in);
  }

  TextEditor m_editor;
  EditorMacroControl m_control{m_editor};
  std::unique_ptr<KeyMacro> m_macro = std::make_unique<KeyMacro>("keyMacro");
  FakeWindow m_window;
  std::vector<MacroState> m_states;
  std::vector<std::string> m_dialogs;
};

KeyRecord keyDownRecord(std::uint16_t key, std::uint8_t shift = 0) {
  return {kKeyDownNotification, key, 0, shift, 0, 0};
}
KeyRecord charRecord(std::uint16_t code, std::uint8_t shift = 0) {
  return {kCharNotification, code, 0, shift, 0, 0};
}

TEST_F(KeyMacroTest, TheStopKeyIsTheLastRecordAndReplaysAsTheRecordCommandWhilePlaying) {
  record([&] { typeAscii("ab"); });
  KeyRecordList expected = {keyDownRecord('A'), charRecord('a'), keyDownRecord('B'),
                            charRecord('b'), keyDownRecord(vk::F1, kDown)};
  EXPECT_EQ(m_macro->records(), expected);  // the Shift+F1 that started it is not in it
  EXPECT_EQ(m_window.recordCommands, 2);

  m_states.clear();
  m_macro->Play();
  EXPECT_EQ(dump(m_editor), "abab|#");
  // The replayed Shift+F1 ran the record command, which found `Playing` and only reset the title.
  EXPECT_EQ(m_window.recordCommands, 3);
  EXPECT_FALSE(m_window.recordingTitle);
  EXPECT_EQ(m_states, (std::vector{MacroState::Playing, MacroState::Ready}));
  EXPECT_EQ(m_macro->records().size(), 5u);
}

TEST_F(KeyMacroTest, StartingAndAtOnceStoppingGivesReadyWithNothingToPlay) {
  m_macro->StartRecording();
  m_macro->StopRecording();
  EXPECT_EQ(m_macro->state(), MacroState::Ready);
  EXPECT_TRUE(m_macro->records().empty());
  m_states.clear();
  m_macro->Play();
  EXPECT_TRUE(m_states.empty());
  EXPECT_EQ(m_macro->state(), MacroState::Ready);
}

TEST_F(KeyMacroTest, OperationsOutsideTheirStatesDoNothing) {
  m_macro->StopRecording();
  m_macro->CancelRecording();
  m_macro->CancelPlay();
  m_macro->Play();  // Empty
  EXPECT_TRUE(m_states.empty());

  setRecords({charRecord('x')});
  m_macro->setControl(nullptr);
  m_states.clear();
  m_macro->StartRecording();  // no control
  m_macro->Play();
  EXPECT_TRUE(m_states.empty());
  EXPECT_EQ(m_editor.text(), "");

  m_macro->setControl(&m_control);
  m_macro->StartRecording();
  m_states.clear();
  m_macro->StartRecording();  // already recording: the recording is not emptied again
  m_macro->Play();
  EXPECT_TRUE(m_states.empty());
}

TEST_F(KeyMacroTest, ReplayPutsTheRecordedShiftStateInPlace) {
  m_editor.setText("abcdefgh");
  record([&] {
    for (int i = 0; i < 5; ++i) press(shifted(vk::Right));
  });
  EXPECT_EQ(m_macro->records().front(), keyDownRecord(vk::Right, kDown));
  m_editor.MoveCaret(0, 0);
  m_macro->Play();  // the real Shift key is up
  EXPECT_EQ(dump(m_editor), "[abcde|]fgh#");
}

TEST_F(KeyMacroTest, AConsumedShortcutIsNotSentAgainAndTheEditorsComeBeforeTheWindows) {
  m_editor.setText("a\r\nb");
  m_editor.MoveCaret(1, 1);
  typeAscii("c");
  m_editor.toggleMark(1);
  record([&] {
    typeAscii("x");
    press(InputMessage::keyDown('Z', false, true), "\x1a");  // Ctrl+Z: undo
    press(InputMessage::keyDown('1', false, true));          // Ctrl+1: jump to mark 1
  });
  m_editor.MoveCaret(0, 1);
  m_macro->Play();
  // x typed and undone once (a second undo would take the c too); the caret went to mark 1.
  EXPECT_EQ(dump(m_editor), "a$b|c#");
  EXPECT_EQ(m_window.tabSwitches, 0);
}

TEST_F(KeyMacroTest, AnInputMethodCharacterIsRecordedWithoutItsCharacterMessage) {
  m_macro->StartRecording();
  m_editor.commitInputMethodText(kA + "x" + kI);
  m_macro->StopRecording();
  ASSERT_EQ(m_macro->records().size(), 3u);
  for (const KeyRecord& r : m_macro->records()) EXPECT_EQ(r.message, kImeCharMessage);
  EXPECT_EQ(m_macro->records()[0].charCode, 0x82A0);
  EXPECT_EQ(m_macro->records()[1].charCode, 'x');
  EXPECT_EQ(m_macro->ImePending(), 0);

  m_macro->Play();
  EXPECT_EQ(dump(m_editor), kA + "x" + kI + kA + "x" + kI + "|#");
  EXPECT_TRUE(m_editor.pendingMessages().empty());
}

TEST_F(KeyMacroTest, ImePendingCarriesOverIntoTheNextRecording) {
  m_macro->StartRecording();
  m_editor.sendMessage(InputMessage::imeCharacter(0x82A0));  // its character messages wait
  m_macro->StopRecording();
  m_editor.processMessages();
  EXPECT_EQ(m_macro->ImePending(), 1);
  m_macro->ClearMacro();
  EXPECT_EQ(m_macro->ImePending(), 1);

  record([&] { typeAscii("yz"); });
  // The y's character message paid off the count; the z's was recorded.
  KeyRecordList expected = {keyDownRecord('Y'), keyDownRecord('Z'), charRecord('z'),
                            keyDownRecord(vk::F1, kDown)};
  EXPECT_EQ(m_macro->records(), expected);
  EXPECT_EQ(m_macro->ImePending(), 0);
}

TEST_F(KeyMacroTest, ADoubleByteCharacterTypedAsTwoMessagesIsRecordedWholeAndReplayed) {
  record([&] { press(InputMessage::keyDown(0), kA); });
  ASSERT_EQ(m_macro->records().size(), 3u);
  EXPECT_EQ(m_macro->records()[1], charRecord(0x82A0));
  m_macro->Play();
  EXPECT_EQ(dump(m_editor), kA + kA + "|#");

  setRecords({charRecord(0x4142), charRecord(0x8320)});  // no double-byte characters
  m_macro->Play();
  EXPECT_EQ(dump(m_editor), kA + kA + "|#");
}

TEST_F(KeyMacroTest, ARecordingContainingShiftF2DoesNotPlayItselfAgain) {
  record([&] {
    typeAscii("a");
    press(shifted(kF2));  // play while recording: nothing, but recorded
  });
  EXPECT_EQ(m_editor.text(), "a");
  EXPECT_EQ(m_macro->records().size(), 4u);
  m_states.clear();
  m_macro->Play();
  EXPECT_EQ(m_editor.text(), "aa");
  EXPECT_EQ(m_window.playCommands, 2);
  EXPECT_EQ(m_states, (std::vector{MacroState::Playing, MacroState::Ready}));
}

TEST_F(KeyMacroTest, CancellingAPlaybackStopsAfterTheCurrentMessage) {
  m_window.f3 = [&] { m_macro->CancelPlay(); };
  setRecords({charRecord('a'), keyDownRecord(kF3), charRecord('b')});
  m_macro->Play();
  EXPECT_EQ(m_editor.text(), "a");
  EXPECT_EQ(m_macro->state(), MacroState::Ready);
  EXPECT_TRUE(m_dialogs.empty());

  m_macro->setShowDialog(true);
  m_states.clear();
  m_macro->Play();
  EXPECT_EQ(m_editor.text(), "aa");
  EXPECT_EQ(m_dialogs, (std::vector<std::string>{"info: Cancel Execute keyMacro"}));
  EXPECT_EQ(m_states, (std::vector{MacroState::Playing, MacroState::Ready}));
}

TEST_F(KeyMacroTest, AReplayedKeyThatClearsTheRecordingEndsThePlaybackEmpty) {
  m_window.f3 = [&] { m_macro->ClearMacro(); };
  setRecords({charRecord('a'), keyDownRecord(kF3), charRecord('b')});
  m_macro->Play();
  EXPECT_EQ(m_editor.text(), "a");
  EXPECT_EQ(m_macro->state(), MacroState::Empty);
  EXPECT_TRUE(m_macro->records().empty());
}

TEST_F(KeyMacroTest, AReplayedKeyThatReloadsTheRecordingStopsThePlayback) {
  m_window.f3 = [&] { EXPECT_TRUE(load("CN_CHAR: 48386, CharCode: 122, KeyData: 0, Shift: 0, "
                                       "Ctrl: 0, Alt: 0 // z\r\n")); };
  setRecords({charRecord('a'), keyDownRecord(kF3), charRecord('b')});
  m_macro->Play();
  EXPECT_EQ(m_editor.text(), "a");
  EXPECT_EQ(m_macro->state(), MacroState::Ready);
  EXPECT_EQ(m_macro->records(), KeyRecordList{charRecord('z')});
}

TEST_F(KeyMacroTest, AReplayedKeyThatDestroysTheRecorderEndsThePlaybackSafely) {
  m_window.f3 = [&] { m_macro.reset(); };
  setRecords({charRecord('a'), keyDownRecord(kF3), charRecord('b')});
  m_macro->Play();
  EXPECT_EQ(m_macro, nullptr);
  EXPECT_EQ(m_editor.text(), "a");
}

TEST_F(KeyMacroTest, AReplayedKeyThatDestroysTheControlEndsThePlayback) {
  auto editor = std::make_unique<TextEditor>();
  auto control = std::make_unique<EditorMacroControl>(*editor);
  control->setWindowShortcuts([&](const InputMessage& key) {
    if (key.code != kF3) return false;
    control.reset();
    return true;
  });
  setRecords({charRecord('a'), keyDownRecord(kF3), charRecord('b')});
  m_macro->setControl(control.get());
  m_macro->Play();
  EXPECT_EQ(control, nullptr);
  EXPECT_EQ(m_macro->Control(), nullptr);
  EXPECT_EQ(m_macro->state(), MacroState::Ready);
  EXPECT_EQ(editor->text(), "a");
}

TEST_F(KeyMacroTest, AnErrorDuringPlaybackLeavesReadyAndGoesOnToTheCaller) {
  m_window.f3 = [] { throw std::runtime_error("command failed"); };
  setRecords({charRecord('a'), keyDownRecord(kF3), charRecord('b')});
  EXPECT_THROW(m_macro->Play(), std::runtime_error);
  EXPECT_EQ(m_macro->state(), MacroState::Ready);
  EXPECT_EQ(m_editor.text(), "a");
}

TEST_F(KeyMacroTest, TheHookIsChainedAndPutBack) {
  std::vector<InputMessage> seen;
  m_editor.setMessageHook([&](const InputMessage& message) { seen.push_back(message); });
  m_macro->StartRecording();
  typeAscii("a");
  EXPECT_EQ(seen.size(), 2u);  // the earlier hook still sees every message
  EXPECT_EQ(m_macro->records().size(), 2u);
  m_macro->StopRecording();
  typeAscii("b");
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_EQ(m_macro->records().size(), 2u);
}

TEST_F(KeyMacroTest, ChangingTheControlWhileRecordingMovesTheHookOrCancels) {
  TextEditor other_editor;
  EditorMacroControl other{other_editor};
  m_macro->StartRecording();
  typeAscii("a");
  m_macro->setControl(&other);
  typeAscii("b");  // into the old control: no longer recorded
  other_editor.sendMessage(InputMessage::character('c'));
  EXPECT_EQ(m_macro->state(), MacroState::Recording);
  EXPECT_EQ(m_macro->records(),
            (KeyRecordList{keyDownRecord('A'), charRecord('a'), charRecord('c')}));

  m_macro->setControl(nullptr);
  EXPECT_EQ(m_macro->state(), MacroState::Empty);
  EXPECT_TRUE(m_macro->records().empty());
  EXPECT_FALSE(other_editor.messageHook());
}

TEST_F(KeyMacroTest, ADestroyedControlIsForgottenAndTheRecorderOutlivesIt) {
  {
    TextEditor editor;
    EditorMacroControl control{editor};
    m_macro->setControl(&control);
    m_macro->StartRecording();
  }
  EXPECT_EQ(m_macro->Control(), nullptr);
  m_macro->StopRecording();
  EXPECT_EQ(m_macro->state(), MacroState::Ready);
}

TEST_F(KeyMacroTest, DestroyingTheRecorderWhileRecordingPutsTheHookBack) {
  m_macro->StartRecording();
  m_states.clear();
  m_macro.reset();
  EXPECT_FALSE(m_editor.messageHook());
  EXPECT_TRUE(m_states.empty());  // no OnChange while being destroyed
  typeAscii("a");
  EXPECT_EQ(m_editor.text(), "a");
}

TEST_F(KeyMacroTest, EveryTransitionFiresOnChange) {
  m_macro->StartRecording();
  m_macro->StopRecording();
  m_macro->StartRecording();
  m_macro->CancelRecording();
  load("1 2 3 4 5 6");
  m_macro->ClearMacro();
  using S = MacroState;
  EXPECT_EQ(m_states, (std::vector{S::Recording, S::Ready, S::Recording, S::Ready, S::Empty,
                                   S::Empty, S::Ready, S::Empty}));
}

// --- The text form ---

TEST_F(KeyMacroTest, TheTextFormHasOneLinePerRecord) {
  setRecords({{kKeyDownNotification, 'A', 0x1E0001, 0, 0, 0},
              {kCharNotification, 'a', 0x1E0001, 0x81, 0, 0},
              {kImeCharMessage, 0x82A0, 1, 0, 0x80, 0},
              {kCharNotification, 13, -1073741823, 0, 0, 255},
              {kCharNotification, '5', 0, 0, 0, 0}});
  EXPECT_EQ(saved(),
            "CN_KEYDOWN: 48384, CharCode: 65, KeyData: 1966081, Shift: 0, Ctrl: 0, Alt: 0\r\n"
            "CN_CHAR: 48386, CharCode: 97, KeyData: 1966081, Shift: 129, Ctrl: 0, Alt: 0"
            " // a\r\n"
            "WM_IME_CHAR: 646, CharCode: 33440, KeyData: 1, Shift: 0, Ctrl: 128, Alt: 0"
            " // \x82\xa0\r\n"
            "CN_CHAR: 48386, CharCode: 13, KeyData: -1073741823, Shift: 0, Ctrl: 0, Alt: 255"
            " // #13\r\n"
            "CN_CHAR: 48386, CharCode: 53, KeyData: 0, Shift: 0, Ctrl: 0, Alt: 0 // 5\r\n");
}

TEST_F(KeyMacroTest, SavingAndLoadingGivesTheSameRecords) {
  const std::vector<std::pair<const char*, KeyRecordList>> cases = {
      {"typed keys", {keyDownRecord('A', kDown), charRecord('A', kDown), keyDownRecord(vk::Left)}},
      {"a digit in the comment is a seventh integer", {charRecord('7'), charRecord('-')}},
      {"a typed single quotation mark", {charRecord('\''), charRecord('a')}},
      {"a quotation mark as the last line", {charRecord('\'')}},
      {"comment characters", {charRecord('#'), charRecord('/'), charRecord(9), charRecord(0x83)}},
      {"double-byte characters", {{kImeCharMessage, 0x8341, 0, 0, 0, 0}, charRecord(0x82A0)}},
      {"extreme fields", {{0xFFFFFFFF, 0xFFFF, -2147483647 - 1, 255, 255, 255}}},
  };
  for (const auto& [name, records] : cases) {
    SCOPED_TRACE(name);
    setRecords(records);
    std::string text = saved();
    EXPECT_TRUE(load(text));
    EXPECT_EQ(m_macro->records(), records);
    EXPECT_EQ(m_macro->state(), MacroState::Ready);
  }
}

TEST_F(KeyMacroTest, MalformedTextFormsFailToLoadAndLeaveTheRecorderEmpty) {
  const char* const kBad[] = {
      "1 2 3 4 5\r\n1 2 3 4 5 6\r\n",         // five numbers, then six
      "1 2 3 4 5 6\r\nx\r\n1 2 3 4 5 6\r\n",  // a line without numbers before the last
      "1 2 'unterminated\r\n",                // a string that does not end on its line
      "1 2 3 4 5 '\r\n6\r\n",
      "1 2 \x83\n3 4 5 6\n",                  // a lone lead byte does not take the line end
  };
  m_macro->setShowDialog(true);
  for (const char* text : kBad) {
    SCOPED_TRACE(text);
    setRecords({charRecord('a')});
    m_dialogs.clear();
    EXPECT_FALSE(load(text));
    EXPECT_EQ(m_macro->state(), MacroState::Empty);
    EXPECT_TRUE(m_macro->records().empty());
    EXPECT_EQ(m_dialogs, (std::vector<std::string>{"error: Invalid data loaded.keyMacro"}));
  }
  m_macro->setShowDialog(false);
  m_dialogs.clear();
  EXPECT_FALSE(load("1 2 3 4 5\n1 2 3 4 5 6\n"));
  EXPECT_TRUE(m_dialogs.empty());
}

TEST_F(KeyMacroTest, HowLinesAreRead) {
  struct Case {
    const char* name;
    const char* text;
    KeyRecordList records;
  };
  const Case cases[] = {
      {"the only line may have five numbers", "48386, 97, 1, 2, 3", {{48386, 97, 1, 2, 3, 0}}},
      {"so may the last", "1 2 3 4 5 6\n7 8", {{1, 2, 3, 4, 5, 6}, {7, 8, 0, 0, 0, 0}}},
      {"labels, punctuation and strings are ignored",
       "CN_CHAR: 'it''s' 48386, x1: -5,, 'a' 2 3 4 5", {{48386, 65535 - 4, 2, 3, 4, 5}}},
      {"low bits are kept", "1 65601 3 257 -1 511", {{1, 65, 3, 1, 255, 255}}},
      {"a number too large reads as 0", "99999999999999999999 2 3 4 5 6", {{0, 2, 3, 4, 5, 6}}},
      {"blank lines and lone CR or LF", "\r\n1 2 3 4 5 6\r\r\n\n1 2 3 4 5 6\r",
       {{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}}},
      {"a double-byte character with a letter for trail byte", "\x83\x41" "1 2 3 4 5 6",
       {{1, 2, 3, 4, 5, 6}}},
      {"nothing", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(load(c.text));
    EXPECT_EQ(m_macro->records(), c.records);
    EXPECT_EQ(m_macro->state(), MacroState::Ready);
  }
}

TEST_F(KeyMacroTest, RecordsOfOtherMessagesLoadButAreNotReplayed) {
  ASSERT_TRUE(load("WM_CLOSE: 16, 0, 0, 0, 0, 0\r\nCN_CHAR: 48386, 98, 0, 0, 0, 0\r\n"
                   "CN_CHAR: 48386, 33, 0, 0, 0, 0\r\n"));
  m_macro->Play();
  EXPECT_EQ(m_editor.text(), "b!");
  EXPECT_EQ(m_macro->records().size(), 3u);
}

TEST_F(KeyMacroTest, ARecordingIsSavedToAndLoadedFromAFile) {
  platform::testing::TempFolder folder;
  record([&] { typeAscii("ab'"); });
  KeyRecordList records = m_macro->records();
  std::filesystem::path file = folder / "macro.txt";
  platform::testing::writeBytes(file, "old content that is longer than nothing");
  m_macro->SaveMacroText(file);
  EXPECT_EQ(platform::testing::readBytes(file), saved());
  m_macro->ClearMacro();
  EXPECT_TRUE(m_macro->LoadMacroText(file));
  EXPECT_EQ(m_macro->records(), records);

  EXPECT_THROW(m_macro->LoadMacroText(folder / "missing.txt"), platform::StoredFileError);
  EXPECT_THROW(m_macro->SaveMacroText(folder / "no" / "folder.txt"), platform::StoredFileError);
}

}  // namespace
}  // namespace namitra::editor
