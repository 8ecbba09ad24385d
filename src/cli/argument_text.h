// The texts of the command line and of the files it names, taken into the program's text.
//
// Outside, texts are UTF-8 and paths are the file system's bytes; inside, everything is code page
// 932 as the name codec extends it, so a character that code page 932 lacks (é, the WAVE DASH
// an input method types) gets the same private code in a path, a format, a rule and a search
// text of one run, and the tools match it like any other character. A path takes any bytes, as
// a dropped file does. A typed text (a step's argument, a line of a names file) must be valid
// UTF-8, as text typed into the window always is: a byte that is not is refused rather than
// turned into a raw-byte code nobody typed.
#pragma once

#include "platform/name_codec.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace namitra::cli {

// The byte index of the first byte of `text` that is not part of well-formed UTF-8, or npos.
std::size_t firstInvalidUtf8(std::string_view text);

// A typed text in the program's text; nullopt when it is not valid UTF-8 or the codec has no
// code left for one of its characters.
std::optional<std::string> typedText(platform::NameCodec& codec, std::string_view utf8);

// A native path in the program's text; nullopt when the codec has no code left for it.
std::optional<std::string> pathText(platform::NameCodec& codec, std::string_view native);

// Program text for the terminal: UTF-8, a raw byte of a name shown as "\xNN", a CR (the line
// break of the window's dialog texts) as a line feed.
std::string terminalText(const platform::NameCodec& codec, std::string_view internal);

// `text` in single quotes for a message.
std::string inQuotes(std::string_view text);

}  // namespace namitra::cli
