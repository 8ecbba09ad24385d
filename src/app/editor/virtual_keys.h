// Qt key events as the editor's input messages.
//
// One table maps Qt's key codes to Windows virtual-key codes: letters and digits map to their
// upper-case ASCII codes, the editing and movement keys to their VK codes, the punctuation keys
// to the OEM codes of a US keyboard. A digit typed with Shift (Shift+Ctrl+1 arrives as "!") is
// found again by its key position, so that the mark shortcuts work on any layout. With Ctrl held
// (and not Alt) a letter types its control code, Ctrl+A 0x01 to Ctrl+Z 0x1A, and other keys type
// nothing, whatever text the platform attached to the event.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "editor/input_message.h"

class QKeyEvent;

namespace namitra::app {

// The virtual-key code of the event's key, or nothing for keys the table does not know.
std::optional<std::uint16_t> virtualKeyOf(const QKeyEvent& event);

// The key-down message for the event, with its Shift, Ctrl and Alt states and the repeat bit.
std::optional<editor::InputMessage> keyDownMessageOf(const QKeyEvent& event);

// The Shift-JIS bytes the key types, each to become one character message.
std::string characterBytesOf(const QKeyEvent& event);

}  // namespace namitra::app
