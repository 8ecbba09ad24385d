// The keystroke macro recorder: records the key messages typed into an editor control and plays
// them back into it.
//
// While recording, the recorder sits in front of the control's message hook and copies every
// key-down, character and input-method character message that reaches the control, with the
// Shift, Ctrl and Alt states it carried, before the control handles it. So the key that stops a
// recording through a window shortcut is itself the last record. The one character message that
// follows each input-method character is left out (`ImePending` counts them), because replaying
// the input-method character produces it again.
//
// Playing sends the records back, oldest first, each with its recorded modifier states: a
// key-down or character first as the notification that the control's shortcuts see, and again
// as the plain message when no shortcut took it; an input-method character as it is, after which
// one waiting message is dispatched, so that the character messages it produced reach the
// control. Playback runs on a copy of the recording and notices after every message whether it
// was cancelled, whether the recording or the control went away, or whether the recorder itself
// was destroyed by a replayed key. A replayed key that asks for another playback finds the state
// `Playing` and does nothing, so a recording holding its own play key does not recurse.
//
// A recording can be written as text, one line per record, and read back (`SaveMacroText`,
// `LoadMacroText`). The recorder never shows a dialog itself: with `ShowDialog` on it hands the
// text of its two dialogs to the dialog handler.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/input_message.h"
#include "editor/text_editor.h"

namespace namitra::editor {

class KeyMacro;

// The message numbers a record keeps: the framework's notifications for a key-down and a
// character (0xBC00 above the plain message), and the input-method character message.
inline constexpr std::uint32_t kImeCharMessage = 0x0286;        // WM_IME_CHAR, 646
inline constexpr std::uint32_t kKeyDownNotification = 0xBD00;   // CN_KEYDOWN, 48384
inline constexpr std::uint32_t kCharNotification = 0xBD02;      // CN_CHAR, 48386
inline constexpr std::uint32_t kNotificationOffset = 0xBC00;    // CN_KEYDOWN - WM_KEYDOWN

// One recorded message. A character message typed as two bytes of one double-byte character is
// one record whose code is the whole character (lead byte * 256 + trail byte).
struct KeyRecord {
  std::uint32_t message = 0;
  std::uint16_t charCode = 0;  // virtual key, character, or whole input-method character
  std::int32_t keyData = 0;
  std::uint8_t shift = 0;
  std::uint8_t ctrl = 0;
  std::uint8_t alt = 0;

  friend bool operator==(const KeyRecord&, const KeyRecord&) = default;
};

using KeyRecordList = std::vector<KeyRecord>;

KeyRecord recordOf(const InputMessage& message);
// The message a record replays; nothing for a message number other than the three above (a
// loaded text form may hold any number, and the control takes no other message).
std::optional<InputMessage> messageOf(const KeyRecord& record);
// The record's line of the text form, without its line end.
std::string macroTextLine(const KeyRecord& record);
std::ostream& operator<<(std::ostream& out, const KeyRecord& record);

// The control a recorder records from and plays into. Destroying it tells every recorder that
// uses it to forget it.
class MacroControl {
 public:
  MacroControl() = default;
  MacroControl(const MacroControl&) = delete;
  MacroControl& operator=(const MacroControl&) = delete;
  virtual ~MacroControl();

  // The hook every input message passes before the control handles it; empty for none.
  virtual TextEditor::MessageHook messageHook() const = 0;
  virtual void setMessageHook(TextEditor::MessageHook hook) = 0;
  // A key-down or character as the notification the shortcuts see first; true when a shortcut
  // consumed it, and then the plain message is not sent.
  virtual bool sendNotification(const InputMessage& message) = 0;
  // The control's own handling of a message (a key-down, a character, an input-method
  // character).
  virtual void sendPlain(const InputMessage& message) = 0;
  // The oldest message waiting to be dispatched, or null; the recorder looks here for the trail
  // byte of a double-byte character, which the control takes without passing the hook.
  virtual const InputMessage* waitingMessage() const = 0;
  // Removes the oldest waiting message and dispatches it; false when none waits.
  virtual bool dispatchWaitingMessage() = 0;

 private:
  friend class KeyMacro;
  std::vector<KeyMacro*> m_users;
};

// A `TextEditor` as a recorder's control. The editor's own shortcuts (those of its context
// menu) come first; a key-down they leave goes to the window's shortcuts, if any are set.
class EditorMacroControl : public MacroControl {
 public:
  // True when a window shortcut took the key-down.
  using ShortcutHandler = std::function<bool(const InputMessage& keyDown)>;

  explicit EditorMacroControl(TextEditor& editor) : m_editor(editor) {}

  TextEditor& editor() { return m_editor; }
  void setWindowShortcuts(ShortcutHandler handler) { m_windowShortcuts = std::move(handler); }

  TextEditor::MessageHook messageHook() const override { return m_editor.messageHook(); }
  void setMessageHook(TextEditor::MessageHook hook) override;
  bool sendNotification(const InputMessage& message) override;
  void sendPlain(const InputMessage& message) override;
  const InputMessage* waitingMessage() const override;
  bool dispatchWaitingMessage() override { return m_editor.dispatchNextMessage(); }

 private:
  TextEditor& m_editor;
  ShortcutHandler m_windowShortcuts;
};

enum class MacroState : std::uint8_t { Empty = 0, Recording = 1, Ready = 2, Playing = 3 };

enum class MacroDialogKind { Information, Error };

class KeyMacro {
 public:
  using ChangeHandler = std::function<void(KeyMacro&)>;
  // Shows a modal dialog with the text and an OK button.
  using DialogHandler = std::function<void(MacroDialogKind kind, const std::string& text)>;

  explicit KeyMacro(std::string name = "KeyMacro");
  KeyMacro(const KeyMacro&) = delete;
  KeyMacro& operator=(const KeyMacro&) = delete;
  // Stops a recording (the control gets its hook back) and cancels a playback; fires no
  // OnChange.
  ~KeyMacro();

  const std::string& name() const { return m_name; }
  MacroState state() const { return m_state; }
  const KeyRecordList& records() const { return m_records; }
  // Input-method characters whose character message is still expected. Never reset: a count
  // left over from one recording drops the next character message of the following one.
  std::int32_t ImePending() const { return m_imePending; }

  MacroControl* Control() const { return m_control; }
  // Nothing happens for the current control. While recording, the hook moves to the new
  // control, or the recording is cancelled when there is none; otherwise the control is stored.
  void setControl(MacroControl* control);

  bool ShowDialog() const { return m_showDialog; }
  void setShowDialog(bool show) { m_showDialog = show; }
  void setDialogHandler(DialogHandler handler) { m_dialog = std::move(handler); }
  // Called after every state transition (also one that leaves the state as it was).
  void setOnChange(ChangeHandler handler) { m_onChange = std::move(handler); }

  // In `Empty` or `Ready` with a control: empties the recording and starts recording.
  void StartRecording();
  // In `Recording`: keeps the recording (also an empty one), `Ready`.
  void StopRecording();
  // In `Recording`: stops and empties the recording, `Empty`.
  void CancelRecording();
  // In `Ready` with a control and at least one record: replays the recording, then `Ready`.
  // An exception from the control ends the playback (state `Ready`) and goes on to the caller.
  void Play();
  // In `Playing`: `Ready`; the playback stops after the message it is sending.
  void CancelPlay();
  // Stops recording or playing, empties the recording, `Empty`.
  void ClearMacro();

  // One line per record, each ended by CR LF.
  void SaveMacroText(std::ostream& out) const;
  // Creates or overwrites the file; throws platform::StoredFileError when it cannot be written.
  void SaveMacroText(const std::filesystem::path& path) const;
  // Replaces the recording by a text form: `Ready` and true, or, for a malformed text or a read
  // error, an empty recording, `Empty`, the error dialog and false.
  bool LoadMacroText(std::istream& in);
  // Throws platform::StoredFileError when the file is missing or cannot be read (like every
  // stored file of the program); a malformed text is a failed load as above.
  bool LoadMacroText(const std::filesystem::path& path);

 private:
  friend class MacroControl;

  void setState(MacroState state);
  void installHook();
  void removeHook();
  void offer(const InputMessage& message);
  void playRecord(MacroControl& control, const KeyRecord& record);
  void endPlay();
  void failLoad();
  void controlDestroyed(MacroControl* control);
  void attachTo(MacroControl* control);
  void detachFrom(MacroControl* control);
  void showDialog(MacroDialogKind kind, const std::string& text) const;

  std::string m_name;
  MacroControl* m_control = nullptr;
  std::int32_t m_imePending = 0;
  KeyRecordList m_records;
  bool m_hooked = false;
  TextEditor::MessageHook m_keptHook;
  bool m_showDialog = false;
  MacroState m_state = MacroState::Empty;
  ChangeHandler m_onChange;
  DialogHandler m_dialog;
  bool m_destroying = false;
  // Shared with a running playback, which must not touch the recorder once it is gone.
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace namitra::editor
