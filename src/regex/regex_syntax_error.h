// The exception raised for every malformed regular expression, and the texts it carries.
//
// Compiling a pattern either succeeds or throws RegexSyntaxError; nothing in the engine catches
// it. The message is Shift-JIS text meant for the general error dialog; ErrorPos is the 1-based
// byte position in the pattern at which scanning stood when the fault was found. The position is
// passed as a 16-bit value, so a position above 65535 is reported modulo 65536.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace namitra::regex {

class RegexSyntaxError : public std::runtime_error {
 public:
  RegexSyntaxError(const std::string& message, std::uint16_t position)
      : std::runtime_error(message), m_errorPos(position) {}

  std::int32_t ErrorPos() const { return m_errorPos; }

 private:
  std::int32_t m_errorPos;
};

// The messages, as Shift-JIS bytes (the readable text above each).
namespace messages {
// 不正な２バイト文字コードです。
inline constexpr char kInvalidDoubleByte[] = "\x95s\x90\xb3\x82\xc8\x82Q\x83o\x83" "C\x83g\x95\xb6\x8e\x9a\x83R\x81[\x83h\x82\xc5\x82\xb7\x81" "B";
// "\"の次には文字が必要です。
inline constexpr char kCharAfterBackslash[] = "\x22\x5c\x22\x82\xcc\x8e\x9f\x82\xc9\x82\xcd\x95\xb6\x8e\x9a\x82\xaa\x95K\x97v\x82\xc5\x82\xb7\x81" "B";
// 不正な１６進数コード表記です。
inline constexpr char kInvalidHexCode[] = "\x95s\x90\xb3\x82\xc8\x82P\x82U\x90i\x90\x94\x83R\x81[\x83h\x95\x5c\x8bL\x82\xc5\x82\xb7\x81" "B";
// 不正な８進数コード表記です。
inline constexpr char kInvalidOctalCode[] = "\x95s\x90\xb3\x82\xc8\x82W\x90i\x90\x94\x83R\x81[\x83h\x95\x5c\x8bL\x82\xc5\x82\xb7\x81" "B";
// 右ブラケット"]"が必要です
inline constexpr char kRightBracketRequired[] = "\x89" "E\x83u\x83\x89\x83P\x83" "b\x83g\x22]\x22\x82\xaa\x95K\x97v\x82\xc5\x82\xb7";
// 不正なキャラクタ範囲です
inline constexpr char kInvalidCharRange[] = "\x95s\x90\xb3\x82\xc8\x83L\x83\x83\x83\x89\x83N\x83^\x94\xcd\x88\xcd\x82\xc5\x82\xb7";
// 正規表現に余分な文字があります
inline constexpr char kSurplusCharacters[] = "\x90\xb3\x8bK\x95\x5c\x8c\xbb\x82\xc9\x97]\x95\xaa\x82\xc8\x95\xb6\x8e\x9a\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb7";
// 右(閉じ)括弧が必要です
inline constexpr char kRightParenRequired[] = "\x89" "E(\x95\xc2\x82\xb6)\x8a\x87\x8c\xca\x82\xaa\x95K\x97v\x82\xc5\x82\xb7";
// 不正なキャラクタクラス指定です。
inline constexpr char kInvalidCharClass[] = "\x95s\x90\xb3\x82\xc8\x83L\x83\x83\x83\x89\x83N\x83^\x83N\x83\x89\x83X\x8ew\x92\xe8\x82\xc5\x82\xb7\x81" "B";
// 普通の文字、または左括弧"("が必要です
inline constexpr char kOperandRequired[] = "\x95\x81\x92\xca\x82\xcc\x95\xb6\x8e\x9a\x81" "A\x82\xdc\x82\xbd\x82\xcd\x8d\xb6\x8a\x87\x8c\xca\x22(\x22\x82\xaa\x95K\x97v\x82\xc5\x82\xb7";
// 正規表現が複雑すぎます (the automaton would pass its size bound, see dfa.h)
inline constexpr char kTooComplex[] = "\x90\xb3\x8bK\x95\x5c\x8c\xbb\x82\xaa\x95\xa1\x8eG\x82\xb7\x82\xac\x82\xdc\x82\xb7";
}  // namespace messages

}  // namespace namitra::regex
