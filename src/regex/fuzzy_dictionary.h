// Dictionaries for the fuzzy rewriting of patterns, and the built-in fuzzy character dictionary.
//
// A dictionary is an ordered list of groups, a group an ordered list of words (Shift-JIS
// strings) that are to be found by one another: full-width and half-width forms, hiragana and
// katakana, a voiced kana and its form with a separate voicing mark, digits and their kanji,
// circled and Roman forms. A word may be empty; an empty word never matches (see
// pattern_preprocessor.h) but is written into the replacement like the others.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace namitra::regex {

using DictionaryGroup = std::vector<std::string>;
using Dictionary = std::vector<DictionaryGroup>;

// Splits a comma-separated list: leading blanks (bytes 1 to 32) are skipped; an item that starts
// with a double quote runs to the closing quote and may hold commas and blanks, a doubled quote
// standing for one quote; any other item runs to the next comma or blank; blanks after an item
// are skipped; a comma that is the text's last character adds an empty item.
DictionaryGroup splitCommaText(std::string_view text);

// The built-in dictionary of 145 groups, built on first use and shared by every engine object.
const Dictionary& FuzzyCharDict();

}  // namespace namitra::regex
