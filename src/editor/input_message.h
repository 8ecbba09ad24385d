// The input messages the editor consumes: a key going down, a character byte, an input-method
// character.
//
// The widget turns each key press into a key-down message (a Windows virtual-key code with the
// Shift, Ctrl and Alt key states) followed by one character message per byte of the key's
// Shift-JIS text, and each input-method commit into input-method character messages, each
// carrying one whole character (lead byte * 256 + trail byte for a double-byte one). These are
// exactly the messages the keystroke macro recorder records and replays, so the editor reacts to
// them alone and never to the toolkit's events. The recorder keeps a double-byte character typed
// as two character messages as one record, and replays it as one character message carrying the
// whole character.
#pragma once

#include <cstdint>

namespace namitra::editor {

enum class InputKind : std::uint8_t { KeyDown, Char, ImeChar };

// Key states as the recorder stores them: bit 7 set while the key is held down.
inline constexpr std::uint8_t kKeyDownState = 0x80;
// Bit 30 of the key data: the key was already down (an auto-repeated key-down).
inline constexpr std::int32_t kKeyDataRepeat = 1 << 30;

struct InputMessage {
  InputKind kind = InputKind::KeyDown;
  std::uint16_t code = 0;    // virtual key, character byte or whole input-method character
  std::int32_t keyData = 0;  // repeat bit and so on, as the keyboard reported it
  std::uint8_t shift = 0;
  std::uint8_t ctrl = 0;
  std::uint8_t alt = 0;

  bool shiftDown() const { return (shift & kKeyDownState) != 0; }
  bool ctrlDown() const { return (ctrl & kKeyDownState) != 0; }
  bool altDown() const { return (alt & kKeyDownState) != 0; }
  bool isRepeat() const { return (keyData & kKeyDataRepeat) != 0; }

  static InputMessage keyDown(std::uint16_t virtualKey, bool shift = false, bool ctrl = false,
                              bool alt = false, bool repeat = false) {
    return {InputKind::KeyDown, virtualKey, repeat ? kKeyDataRepeat : 0, state(shift), state(ctrl),
            state(alt)};
  }
  static InputMessage character(unsigned char byte) { return {InputKind::Char, byte}; }
  static InputMessage imeCharacter(std::uint16_t code) { return {InputKind::ImeChar, code}; }

 private:
  static std::uint8_t state(bool down) { return down ? kKeyDownState : 0; }
};

// The Windows virtual-key codes the editor reacts to. Letters and digits are their ASCII
// upper-case codes ('A' = 0x41, '0' = 0x30).
namespace vk {
inline constexpr std::uint16_t Back = 0x08;
inline constexpr std::uint16_t Tab = 0x09;
inline constexpr std::uint16_t Return = 0x0D;
inline constexpr std::uint16_t Shift = 0x10;
inline constexpr std::uint16_t Control = 0x11;
inline constexpr std::uint16_t Menu = 0x12;
inline constexpr std::uint16_t Escape = 0x1B;
inline constexpr std::uint16_t Space = 0x20;
inline constexpr std::uint16_t Prior = 0x21;
inline constexpr std::uint16_t Next = 0x22;
inline constexpr std::uint16_t End = 0x23;
inline constexpr std::uint16_t Home = 0x24;
inline constexpr std::uint16_t Left = 0x25;
inline constexpr std::uint16_t Up = 0x26;
inline constexpr std::uint16_t Right = 0x27;
inline constexpr std::uint16_t Down = 0x28;
inline constexpr std::uint16_t Insert = 0x2D;
inline constexpr std::uint16_t Delete = 0x2E;
inline constexpr std::uint16_t F1 = 0x70;
}  // namespace vk

}  // namespace namitra::editor
