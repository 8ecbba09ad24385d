// The recorder's state machine, its hook, the playback loop and the text form.
//
// The hook is chained: starting a recording keeps the control's current hook and installs one
// that offers the message to the recording and then passes it to the kept hook; stopping puts
// the kept hook back. The text form is read by a small tokenizer that knows integers (with an
// optional minus sign), identifiers, quoted strings and single punctuation characters, and the
// line on which each token starts; only the first six integers of a line carry data.
#include "editor/key_macro.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <limits>
#include <ostream>
#include <sstream>
#include <string_view>

#include "platform/stored_file_error.h"
#include "platform/text_file.h"
#include "sjis/char.h"

namespace namitra::editor {

namespace {

constexpr int kFieldsPerRecord = 6;

std::uint32_t messageNumberOf(InputKind kind) {
  switch (kind) {
    case InputKind::KeyDown:
      return kKeyDownNotification;
    case InputKind::Char:
      return kCharNotification;
    case InputKind::ImeChar:
      return kImeCharMessage;
  }
  return 0;
}

const char* prefixOf(std::uint32_t message) {
  switch (message) {
    case kImeCharMessage:
      return "WM_IME_CHAR: ";
    case kKeyDownNotification:
      return "CN_KEYDOWN: ";
    case kCharNotification:
      return "CN_CHAR: ";
    default:
      return "";
  }
}

bool carriesCharacter(std::uint32_t message) {
  return message == kImeCharMessage || message == kCharNotification;
}

// The character comment: a double-byte character as its two bytes, a control code as "#" and
// its number, anything else as its byte. A code above 0xFF that is no double-byte character
// (a loaded text may hold any number) shows as "#" and its number too: its two bytes could hold
// a line break, which would cut the line and make the saved text unreadable.
std::string characterComment(std::uint16_t code) {
  const auto lead = static_cast<unsigned char>(code >> 8);
  const auto trail = static_cast<unsigned char>(code & 0xFF);
  if (code > 0xFF && sjis::isLeadByte(lead) && sjis::isTrailByte(trail))
    return {static_cast<char>(lead), static_cast<char>(trail)};
  if (code > 0xFF) return "#" + std::to_string(code);
  if (code < 32) return "#" + std::to_string(code);
  return std::string(1, static_cast<char>(code));
}

bool isLineEnd(char byte) { return byte == '\r' || byte == '\n'; }
bool isDigit(char byte) { return byte >= '0' && byte <= '9'; }
bool isIdentifierStart(char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || byte == '_';
}
bool isIdentifierPart(char byte) { return isIdentifierStart(byte) || isDigit(byte); }

// Reads the text form into records; false for a line before the last with fewer than six
// integers, and for a quoted string that does not end on its line.
class MacroTextReader {
 public:
  explicit MacroTextReader(std::string_view text) : m_text(text) {}

  bool read(KeyRecordList& records) {
    int record_line = -1;
    while (skipBlanks()) {
      if (m_line != record_line) {
        if (record_line >= 0 && m_integers < kFieldsPerRecord) return false;
        records.emplace_back();
        record_line = m_line;
        m_integers = 0;
      }
      // A full record ignores the rest of its line, so a character comment (a digit, a lone
      // quotation mark) can never spoil the line it stands on.
      if (m_integers >= kFieldsPerRecord) {
        skipToLineEnd();
        continue;
      }
      if (!readToken(records.back())) return false;
    }
    return true;
  }

 private:
  // Skips blanks and line ends, counting lines; false at the end of the text.
  bool skipBlanks() {
    while (m_at < m_text.size() && static_cast<unsigned char>(m_text[m_at]) <= ' ') {
      char byte = m_text[m_at++];
      if (byte == '\n' || (byte == '\r' && !(m_at < m_text.size() && m_text[m_at] == '\n')))
        ++m_line;
    }
    return m_at < m_text.size();
  }

  void skipToLineEnd() {
    while (m_at < m_text.size() && !isLineEnd(m_text[m_at])) ++m_at;
  }

  bool readToken(KeyRecord& record) {
    char byte = m_text[m_at];
    bool minus = byte == '-' && m_at + 1 < m_text.size() && isDigit(m_text[m_at + 1]);
    if (isDigit(byte) || minus) {
      storeField(record, readInteger());
      return true;
    }
    if (byte == '\'') return skipQuotedString();
    if (isIdentifierStart(byte)) {
      while (m_at < m_text.size() && isIdentifierPart(m_text[m_at])) ++m_at;
      return true;
    }
    bool double_byte = sjis::isLeadByte(byte) && m_at + 1 < m_text.size() &&
                       sjis::isTrailByte(m_text[m_at + 1]);
    m_at += double_byte ? 2 : 1;  // punctuation, or any other character
    return true;
  }

  // A decimal integer; one too large to read gives 0.
  std::int64_t readInteger() {
    bool negative = m_text[m_at] == '-';
    if (negative) ++m_at;
    std::int64_t value = 0;
    bool too_large = false;
    for (; m_at < m_text.size() && isDigit(m_text[m_at]); ++m_at) {
      if (value > (std::numeric_limits<std::int64_t>::max() - 9) / 10) too_large = true;
      if (!too_large) value = value * 10 + (m_text[m_at] - '0');
    }
    if (too_large) return 0;
    return negative ? -value : value;
  }

  // A quoted string, with '' for a quotation mark inside; false when its line ends first.
  bool skipQuotedString() {
    ++m_at;
    while (m_at < m_text.size() && !isLineEnd(m_text[m_at])) {
      if (m_text[m_at++] != '\'') continue;
      if (m_at < m_text.size() && m_text[m_at] == '\'') {
        ++m_at;
        continue;
      }
      return true;
    }
    return false;
  }

  // Each field keeps the low bits of its integer.
  void storeField(KeyRecord& record, std::int64_t value) {
    auto low32 = static_cast<std::uint32_t>(value);
    switch (m_integers++) {
      case 0:
        record.message = low32;
        break;
      case 1:
        record.charCode = static_cast<std::uint16_t>(low32);
        break;
      case 2:
        record.keyData = static_cast<std::int32_t>(low32);
        break;
      case 3:
        record.shift = static_cast<std::uint8_t>(low32);
        break;
      case 4:
        record.ctrl = static_cast<std::uint8_t>(low32);
        break;
      case 5:
        record.alt = static_cast<std::uint8_t>(low32);
        break;
      default:
        break;  // further integers on the line carry nothing
    }
  }

  std::string_view m_text;
  std::size_t m_at = 0;
  int m_line = 0;
  int m_integers = 0;
};

// A lead byte with its trail byte waiting behind it as the whole double-byte character; any
// other byte as it is.
std::uint16_t wholeCharacter(std::uint16_t byte, const InputMessage* waiting) {
  if (byte > 0xFF || !sjis::isLeadByte(static_cast<unsigned char>(byte))) return byte;
  if (!waiting || waiting->kind != InputKind::Char) return byte;
  if (waiting->code < 0x40 || waiting->code > 0xFF) return byte;
  return static_cast<std::uint16_t>(byte << 8 | waiting->code);
}

}  // namespace

// --- Records ---

KeyRecord recordOf(const InputMessage& message) {
  return {messageNumberOf(message.kind), message.code, message.keyData, message.shift,
          message.ctrl, message.alt};
}

std::optional<InputMessage> messageOf(const KeyRecord& record) {
  InputKind kind;
  switch (record.message) {
    case kKeyDownNotification:
      kind = InputKind::KeyDown;
      break;
    case kCharNotification:
      kind = InputKind::Char;
      break;
    case kImeCharMessage:
      kind = InputKind::ImeChar;
      break;
    default:
      return std::nullopt;
  }
  return InputMessage{kind, record.charCode, record.keyData, record.shift, record.ctrl, record.alt};
}

std::string macroTextLine(const KeyRecord& record) {
  std::string line = prefixOf(record.message);
  line += std::to_string(record.message);
  line += ", CharCode: " + std::to_string(record.charCode);
  line += ", KeyData: " + std::to_string(record.keyData);
  line += ", Shift: " + std::to_string(record.shift);
  line += ", Ctrl: " + std::to_string(record.ctrl);
  line += ", Alt: " + std::to_string(record.alt);
  if (carriesCharacter(record.message)) line += " // " + characterComment(record.charCode);
  return line;
}

std::ostream& operator<<(std::ostream& out, const KeyRecord& record) {
  return out << macroTextLine(record);
}

// --- Controls ---

MacroControl::~MacroControl() {
  // A recorder may forget its control from inside this loop, so work on a copy.
  std::vector<KeyMacro*> users = m_users;
  for (KeyMacro* user : users) user->controlDestroyed(this);
}

void EditorMacroControl::setMessageHook(TextEditor::MessageHook hook) {
  m_editor.setMessageHook(std::move(hook));
}

const InputMessage* EditorMacroControl::waitingMessage() const {
  const auto& queue = m_editor.pendingMessages();
  return queue.empty() ? nullptr : &queue.front();
}

bool EditorMacroControl::sendNotification(const InputMessage& message) {
  if (message.kind != InputKind::KeyDown) return false;
  if (m_editor.handleShortcutKey(message)) return true;
  return m_windowShortcuts && m_windowShortcuts(message);
}

void EditorMacroControl::sendPlain(const InputMessage& message) { m_editor.handleMessage(message); }

// --- The recorder ---

KeyMacro::KeyMacro(std::string name) : m_name(std::move(name)) {}

KeyMacro::~KeyMacro() {
  m_destroying = true;
  if (m_state == MacroState::Recording) StopRecording();
  if (m_state == MacroState::Playing) CancelPlay();
  *m_alive = false;
  detachFrom(m_control);
}

void KeyMacro::setState(MacroState state) {
  m_state = state;
  if (!m_destroying && m_onChange) m_onChange(*this);
}

void KeyMacro::setControl(MacroControl* control) {
  if (control == m_control) return;
  bool recording = m_state == MacroState::Recording;
  if (recording) removeHook();
  detachFrom(m_control);
  m_control = control;
  attachTo(m_control);
  if (!recording) return;
  if (m_control)
    installHook();
  else
    CancelRecording();
}

void KeyMacro::attachTo(MacroControl* control) {
  if (control) control->m_users.push_back(this);
}

void KeyMacro::detachFrom(MacroControl* control) {
  if (!control) return;
  auto& users = control->m_users;
  users.erase(std::remove(users.begin(), users.end(), this), users.end());
}

// The control is going away: forget it without touching its hook, which goes with it.
void KeyMacro::controlDestroyed(MacroControl* control) {
  if (control != m_control) return;
  detachFrom(m_control);
  m_control = nullptr;
  m_hooked = false;
  m_keptHook = {};
}

void KeyMacro::installHook() {
  m_keptHook = m_control->messageHook();
  m_control->setMessageHook([this, kept = m_keptHook](const InputMessage& message) {
    offer(message);
    if (kept) kept(message);
  });
  m_hooked = true;
}

void KeyMacro::removeHook() {
  if (!m_hooked) return;
  m_hooked = false;
  if (m_control) m_control->setMessageHook(std::move(m_keptHook));
  m_keptHook = {};
}

// An input-method character is recorded, and the one character message it produces is not: the
// replayed input-method character produces it again. A double-byte character typed as two
// character messages is recorded whole, as the editor takes its trail byte from the waiting
// messages without passing the hook.
void KeyMacro::offer(const InputMessage& message) {
  if (message.kind == InputKind::ImeChar) {
    ++m_imePending;
    m_records.push_back(recordOf(message));
    return;
  }
  if (message.kind == InputKind::Char && m_imePending > 0) {
    --m_imePending;
    return;
  }
  KeyRecord record = recordOf(message);
  if (message.kind == InputKind::Char && m_control)
    record.charCode = wholeCharacter(message.code, m_control->waitingMessage());
  m_records.push_back(record);
}

void KeyMacro::StartRecording() {
  if (!m_control) return;
  if (m_state != MacroState::Empty && m_state != MacroState::Ready) return;
  m_records.clear();
  installHook();
  setState(MacroState::Recording);
}

void KeyMacro::StopRecording() {
  if (m_state != MacroState::Recording) return;
  removeHook();
  setState(MacroState::Ready);
}

void KeyMacro::CancelRecording() {
  if (m_state != MacroState::Recording) return;
  StopRecording();
  m_records.clear();
  setState(MacroState::Empty);
}

void KeyMacro::CancelPlay() {
  if (m_state == MacroState::Playing) setState(MacroState::Ready);
}

void KeyMacro::ClearMacro() {
  if (m_state == MacroState::Recording) StopRecording();
  if (m_state == MacroState::Playing) CancelPlay();
  m_records.clear();
  setState(MacroState::Empty);
}

// Plays a copy of the recording: a replayed key may clear or reload the recording, destroy the
// control or the recorder itself, and the loop must then stop without touching what is gone.
void KeyMacro::Play() {
  if (m_state != MacroState::Ready || !m_control || m_records.empty()) return;
  std::shared_ptr<bool> alive = m_alive;
  const KeyRecordList records = m_records;
  setState(MacroState::Playing);
  try {
    for (const KeyRecord& record : records) {
      if (!*alive) return;
      if (!m_control) break;
      playRecord(*m_control, record);
      if (!*alive) return;
      if (m_state != MacroState::Playing) {
        if (m_showDialog) showDialog(MacroDialogKind::Information, "Cancel Execute " + m_name);
        break;
      }
    }
  } catch (...) {
    if (*alive) endPlay();
    throw;
  }
  if (*alive) endPlay();
}

void KeyMacro::playRecord(MacroControl& control, const KeyRecord& record) {
  std::optional<InputMessage> message = messageOf(record);
  if (!message) return;
  if (message->kind == InputKind::ImeChar) {
    // The control turns it into character messages; dispatching the first of them inserts the
    // character (the editor takes the second byte from the waiting messages itself).
    control.sendPlain(*message);
    control.dispatchWaitingMessage();
    return;
  }
  std::shared_ptr<bool> alive = m_alive;
  if (control.sendNotification(*message)) return;
  if (!*alive || m_control != &control) return;  // the shortcut took the recorder or the control
  control.sendPlain(*message);
}

// A playback that was cancelled keeps the state the cancelling operation set (`Ready`, or
// `Empty` after the recording was cleared).
void KeyMacro::endPlay() {
  if (m_state == MacroState::Playing) setState(MacroState::Ready);
}

void KeyMacro::showDialog(MacroDialogKind kind, const std::string& text) const {
  if (m_dialog) m_dialog(kind, text);
}

// --- The text form ---

void KeyMacro::SaveMacroText(std::ostream& out) const {
  for (const KeyRecord& record : m_records) out << macroTextLine(record) << "\r\n";
}

void KeyMacro::SaveMacroText(const std::filesystem::path& path) const {
  std::ostringstream text;
  SaveMacroText(text);
  platform::writeWholeFile(path, text.str());
}

bool KeyMacro::LoadMacroText(std::istream& in) {
  ClearMacro();
  std::string text(std::istreambuf_iterator<char>(in), {});
  if (in.bad()) {
    failLoad();
    return false;
  }
  KeyRecordList records;
  if (!MacroTextReader(text).read(records)) {
    failLoad();
    return false;
  }
  m_records = std::move(records);
  setState(MacroState::Ready);
  return true;
}

bool KeyMacro::LoadMacroText(const std::filesystem::path& path) {
  std::optional<std::string> text = platform::readWholeFileStrict(path, platform::kStoredFileSizeLimit);
  if (!text) throw platform::StoredFileError(path, platform::StoredFileOperation::Read, ENOENT);
  std::istringstream in(*text);
  return LoadMacroText(in);
}

void KeyMacro::failLoad() {
  ClearMacro();
  if (m_showDialog) showDialog(MacroDialogKind::Error, "Invalid data loaded." + m_name);
}

}  // namespace namitra::editor
