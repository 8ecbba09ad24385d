#include "platform/name_codec.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/stored_file_error.h"
#include "sjis/codec.h"
#include "sjis/utf8.h"
#include "temp_folder.h"

namespace namitra::platform {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

bool isValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();)
    if (sjis::decodeUtf8(text, pos) == sjis::kInvalidUtf8) return false;
  return true;
}

struct NameRow {
  const char* name;
  std::string native;
};

const NameRow kNames[] = {
    {"ascii", "photo001.jpg"},
    {"code page 932 only", "\xE8\xA1\xA8\xE3\x82\xA2.txt"},  // 表ア
    {"full-width tilde", "\xEF\xBD\x9E"},                      // U+FF5E, in code page 932
    {"e acute NFC", "caf\xC3\xA9.txt"},
    {"e acute NFD", "cafe\xCC\x81.txt"},
    {"emoji", "\xF0\x9F\x98\x80.png"},
    {"NFD kana", "\xE3\x81\x8B\xE3\x82\x99"},  // か + U+3099
    {"wave dash U+301C", "a\xE3\x80\x9C" "b"},
    {"minus sign and em dash", "\xE2\x88\x92\xE2\x80\x94"},
    {"private-use character", "\xEE\x80\x85"},
    {"byte 0xFF", "a\xFF" "b"},
    {"lone continuation byte", "\x80"},
    {"truncated sequence", "x\xE3\x81"},
    {"truncated sequence before ASCII", "\xE3\x81" "a\xF0\x9F\x98"},
    {"overlong slash", "\xC0\xAF"},
    {"encoded surrogate", "\xED\xA0\x80"},
    {"Latin-1 bytes", "caf\xE9"},
};

TEST(NameCodecTest, EveryNameSurvivesTheRoundTrip) {
  NameCodec codec;
  for (const NameRow& row : kNames) {
    SCOPED_TRACE(row.name);
    const auto internal = codec.toInternal(row.native);
    ASSERT_TRUE(internal);
    EXPECT_EQ(codec.toNative(*internal), row.native);
    EXPECT_TRUE(sjis::cp932ToUtf8(*internal).lossless) << "the core sees only code page 932 characters";
    const std::string display = codec.toDisplay(*internal);
    EXPECT_TRUE(isValidUtf8(display));
    if (isValidUtf8(row.native)) {
      EXPECT_EQ(display, row.native);
    }
  }
}

// Arbitrary bytes, with a bias towards the lead bytes of UTF-8 so that well-formed, cut and
// overlong sequences all occur; the same seed every run.
TEST(NameCodecTest, RandomBytesSurviveTheRoundTrip) {
  std::mt19937 random(932);
  const unsigned char interesting[] = {0x00, 0x2F, 0x41, 0x5C, 0x7F, 0x80, 0x9F, 0xBF, 0xC0, 0xC3,
                                       0xE0, 0xE3, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
  NameCodec codec;
  for (int round = 0; round < 2000; ++round) {
    std::string native(random() % 12, '\0');
    for (char& byte : native)
      byte = static_cast<char>(random() % 2 ? interesting[random() % sizeof interesting] : random() % 256);
    const auto internal = codec.toInternal(native);
    ASSERT_TRUE(internal);
    ASSERT_EQ(codec.toNative(*internal), native) << ::testing::PrintToString(native);
    ASSERT_TRUE(isValidUtf8(codec.toDisplay(*internal)));
  }
}

TEST(NameCodecTest, CodePage932NamesConvertAsThePlainCodec) {
  NameCodec codec;
  EXPECT_EQ(codec.toInternal("\xE8\xA1\xA8\\x.txt"), "\x95\x5C\\x.txt");
  EXPECT_EQ(codec.toInternal("\xEF\xBD\x9E"), "\x81\x60");
  EXPECT_EQ(codec.assignedCount(), 0u);
}

TEST(NameCodecTest, EachDistinctCharacterOrByteGetsOneCode) {
  NameCodec codec;
  EXPECT_EQ(codec.toInternal("\xC3\xA9"), "\xF0\x40");                        // é
  EXPECT_EQ(codec.toInternal("\xC3\xA9\xC3\xA9"), "\xF0\x40\xF0\x40");        // reused
  EXPECT_EQ(codec.toInternal("\xFF\xE3\x80\x9C"), "\xF0\x41\xF0\x42");        // byte FF, 〜
  EXPECT_EQ(codec.toInternal("\xC3\xBF"), "\xF0\x43") << "ÿ is not the raw byte FF";
  EXPECT_EQ(codec.assignedCount(), 4u);
  EXPECT_EQ(codec.toDisplay("a\xF0\x41" "b"), "a\\xFFb");
  EXPECT_EQ(codec.fromDisplay("\xE3\x80\x9C"), "\xF0\x42");
}

TEST(NameCodecTest, PrivateUseCharactersKeepTheirCodeWhileItIsFree) {
  NameCodec codec;
  EXPECT_EQ(codec.toInternal("\xEE\x80\x81"), "\xF0\x41") << "U+E001 keeps its plain code";
  EXPECT_EQ(codec.toInternal("\xC3\xA9"), "\xF0\x40") << "the lowest free code";
  EXPECT_EQ(codec.toInternal("\xC3\xA8"), "\xF0\x42") << "F041 is taken by U+E001";
  EXPECT_EQ(codec.toInternal("\xEE\x80\x80"), "\xF0\x43") << "U+E000's own code went to é";
  EXPECT_EQ(codec.toNative("\xF0\x43\xF0\x41\xF0\x40"), "\xEE\x80\x80\xEE\x80\x81\xC3\xA9");
  EXPECT_EQ(codec.toNative("\xF9\xFC"), "\xEE\x9D\x97") << "an unassigned code converts as iconv does";
}

TEST(NameCodecTest, AssignmentsPersistAcrossRuns) {
  TempFolder folder;
  const auto table = folder / NameCodec::defaultFileName;
  std::string internal;
  {
    NameCodec first(table);
    first.save();
    EXPECT_FALSE(std::filesystem::exists(table)) << "nothing assigned, nothing written";
    internal = *first.toInternal("\xFF_caf\xC3\xA9_\xF0\x9F\x98\x80");
    first.save();
  }
  EXPECT_EQ(readBytes(table),
            "# Namitra name codes: a code of the user-defined area and what it stands for\n"
            "F040 BYTE FF\nF041 U+00E9\nF042 U+1F600\n");
  NameCodec second(table);
  EXPECT_EQ(second.assignedCount(), 3u);
  EXPECT_EQ(second.toNative(internal), "\xFF_caf\xC3\xA9_\xF0\x9F\x98\x80");
  EXPECT_EQ(second.toInternal("\xF0\x9F\x98\x80\xC3\xA8"), "\xF0\x42\xF0\x43") << "new codes after the loaded ones";
  second.save();
  NameCodec third(table);
  EXPECT_EQ(third.toNative("\xF0\x43"), "\xC3\xA8");
  std::filesystem::remove(table);
  third.save();
  EXPECT_FALSE(std::filesystem::exists(table)) << "a table only loaded is not written again";
}

TEST(NameCodecTest, BadTableFileIsAnError) {
  const char* bad[] = {
      "F040 U+00E9\nF040 U+00E8\n",  // the same code twice
      "F040 U+00E9\nF041 U+00E9\n",  // the same character twice
      "F040 BYTE FF\nF041 BYTE FF\n",
      "8140 U+00E9\n",   // outside the user-defined area
      "F07F U+00E9\n",   // no trail byte
      "F040 U+D800\n",   // a surrogate
      "F040 BYTE 41\n",  // an ASCII byte is never raw
      "F040 U+00E9 x\n",
      "F040\n",
      "garbage\n",
  };
  for (const char* content : bad) {
    SCOPED_TRACE(content);
    TempFolder folder;
    writeBytes(folder / "t.tbl", content);
    EXPECT_THROW(NameCodec(folder / "t.tbl"), StoredFileError);
  }
}

TEST(NameCodecTest, FullAreaRefusesOnlyNewCharacters) {
  NameCodec codec;
  std::string many;
  for (char32_t c = 0x20000; c < 0x20000 + NameCodec::capacity; ++c) sjis::appendUtf8(many, c);
  const auto internal = codec.toInternal(many);
  ASSERT_TRUE(internal);
  EXPECT_EQ(internal->substr(internal->size() - 2), "\xF9\xFC");
  EXPECT_EQ(codec.assignedCount(), NameCodec::capacity);
  EXPECT_EQ(codec.toNative(*internal), many);

  EXPECT_EQ(codec.toInternal("\xC3\xA9"), std::nullopt);
  EXPECT_EQ(codec.toInternal("\xFF"), std::nullopt);
  EXPECT_EQ(codec.toInternal("\xEE\x80\x80"), std::nullopt) << "U+E000's own code is taken";
  EXPECT_EQ(codec.toInternal("\xF0\xA0\x80\x80"), "\xF0\x40") << "assigned characters still convert";
  EXPECT_EQ(codec.toInternal("\xE8\xA1\xA8"), "\x95\x5C");
}

}  // namespace
}  // namespace namitra::platform
