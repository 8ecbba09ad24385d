// Conversion between the program's Shift-JIS text and the text Qt shows and takes.
//
// Every widget that shows core text, or hands typed or pasted text to the core, converts through
// these two functions, so that a character outside code page 932 (a file name with é or an
// emoji) is shown as itself and comes back as the same private code. The run's name codec is
// installed once at start-up; without one (in unit tests of single widgets) the plain code page
// 932 conversion is used.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace namitra::platform {
class NameCodec;
}

namespace namitra::app {

// Shift-JIS (with the run's private codes) to the text a widget shows.
QString toDisplayText(std::string_view cp932);

// Text typed, pasted or committed by an input method to Shift-JIS. Characters outside code page
// 932 get private codes; when the private area is full they become "?".
std::string fromDisplayText(const QString& text);

// Makes `codec` the conversion of the run (nullptr: plain code page 932). Not owned.
void setDisplayCodec(platform::NameCodec* codec);

}  // namespace namitra::app
