#include "app/editor/virtual_keys.h"

#include <QKeyEvent>

#include <unordered_map>

#include "app/display_text.h"

namespace namitra::app {

namespace {

namespace vk = editor::vk;

const std::unordered_map<int, std::uint16_t>& keyTable() {
  static const std::unordered_map<int, std::uint16_t> table = {
      {Qt::Key_Backspace, vk::Back}, {Qt::Key_Tab, vk::Tab},         {Qt::Key_Backtab, vk::Tab},
      {Qt::Key_Return, vk::Return},  {Qt::Key_Enter, vk::Return},    {Qt::Key_Shift, vk::Shift},
      {Qt::Key_Control, vk::Control}, {Qt::Key_Alt, vk::Menu},       {Qt::Key_Escape, vk::Escape},
      {Qt::Key_Space, vk::Space},    {Qt::Key_PageUp, vk::Prior},    {Qt::Key_PageDown, vk::Next},
      {Qt::Key_End, vk::End},        {Qt::Key_Home, vk::Home},       {Qt::Key_Left, vk::Left},
      {Qt::Key_Up, vk::Up},          {Qt::Key_Right, vk::Right},     {Qt::Key_Down, vk::Down},
      {Qt::Key_Insert, vk::Insert},  {Qt::Key_Delete, vk::Delete},   {Qt::Key_Semicolon, 0xBA},
      {Qt::Key_Colon, 0xBA},         {Qt::Key_Equal, 0xBB},          {Qt::Key_Plus, 0xBB},
      {Qt::Key_Comma, 0xBC},         {Qt::Key_Less, 0xBC},           {Qt::Key_Minus, 0xBD},
      {Qt::Key_Underscore, 0xBD},    {Qt::Key_Period, 0xBE},         {Qt::Key_Greater, 0xBE},
      {Qt::Key_Slash, 0xBF},         {Qt::Key_Question, 0xBF},       {Qt::Key_QuoteLeft, 0xC0},
      {Qt::Key_AsciiTilde, 0xC0},    {Qt::Key_BracketLeft, 0xDB},    {Qt::Key_BraceLeft, 0xDB},
      {Qt::Key_Backslash, 0xDC},     {Qt::Key_Bar, 0xDC},            {Qt::Key_BracketRight, 0xDD},
      {Qt::Key_BraceRight, 0xDD},    {Qt::Key_Apostrophe, 0xDE},     {Qt::Key_QuoteDbl, 0xDE},
  };
  return table;
}

// The digit of a key in the digit row, told by its X11 key code (10 for "1" ... 19 for "0").
std::optional<std::uint16_t> digitByPosition(const QKeyEvent& event) {
  quint32 code = event.nativeScanCode();
  if (code < 10 || code > 19) return std::nullopt;
  return static_cast<std::uint16_t>('0' + (code - 9) % 10);
}

}  // namespace

std::optional<std::uint16_t> virtualKeyOf(const QKeyEvent& event) {
  int key = event.key();
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
    return static_cast<std::uint16_t>(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
    return static_cast<std::uint16_t>(vk::F1 + (key - Qt::Key_F1));
  if (auto digit = digitByPosition(event)) return digit;
  auto found = keyTable().find(key);
  if (found == keyTable().end()) return std::nullopt;
  return found->second;
}

std::optional<editor::InputMessage> keyDownMessageOf(const QKeyEvent& event) {
  std::optional<std::uint16_t> key = virtualKeyOf(event);
  if (!key) return std::nullopt;
  Qt::KeyboardModifiers modifiers = event.modifiers();
  bool shift = modifiers & Qt::ShiftModifier || event.key() == Qt::Key_Backtab;
  return editor::InputMessage::keyDown(*key, shift, modifiers & Qt::ControlModifier,
                                       modifiers & Qt::AltModifier, event.isAutoRepeat());
}

std::string characterBytesOf(const QKeyEvent& event) {
  Qt::KeyboardModifiers modifiers = event.modifiers();
  if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier)) {
    int key = event.key();
    bool letter = key >= Qt::Key_A && key <= Qt::Key_Z;
    return letter ? std::string(1, static_cast<char>(key - Qt::Key_A + 1)) : std::string();
  }
  if (event.text().isEmpty()) return {};
  return fromDisplayText(event.text());
}

}  // namespace namitra::app
