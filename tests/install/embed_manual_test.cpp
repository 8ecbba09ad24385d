#include "embed_manual/base64.h"
#include "embed_manual/inline_images.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace namitra::embed {
namespace {

TEST(Base64, MatchesTheStandardVectors) {
  const std::map<std::string, std::string> vectors = {
      {"", ""},           {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [plain, encoded] : vectors) EXPECT_EQ(encodeBase64(plain), encoded) << plain;
}

TEST(Base64, UsesTheWholeAlphabetForHighBytes) {
  EXPECT_EQ(encodeBase64(std::string("\xfb\xff\xbf", 3)), "+/+/");
  EXPECT_EQ(encodeBase64(std::string("\0\0", 2)), "AAA=");
}

// Images named "a.png" and "sub/b.svg" exist; every other name is missing.
std::optional<std::string> twoImages(std::string_view source) {
  if (source == "a.png") return std::string("PNG");
  if (source == "sub/b.svg") return std::string("<svg/>");
  return std::nullopt;
}

struct InlineCase {
  const char* name;
  std::string html;
  std::string expected;
};

TEST(InlineImages, RewritesOnlyTheSourceOfLocalImages) {
  const std::string png = "data:image/png;base64," + encodeBase64("PNG");
  const std::string svg = "data:image/svg+xml;base64," + encodeBase64("<svg/>");
  const InlineCase cases[] = {
      {"double quotes", R"(<p>x</p><img src="a.png" alt="A">)",
       R"(<p>x</p><img src=")" + png + R"(" alt="A">)"},
      {"single quotes, upper case", "<IMG class='w' SRC = 'sub/b.svg'>",
       "<IMG class='w' SRC = '" + svg + "'>"},
      {"two images", R"(<img src="a.png"><img src="sub/b.svg"/>)",
       R"(<img src=")" + png + R"("><img src=")" + svg + R"("/>)"},
      {"data-src is not the source", R"(<img data-src="x.png" src="a.png">)",
       R"(<img data-src="x.png" src=")" + png + R"(">)"},
      {"src inside another attribute's value", R"(<img alt=" src='x.png'" src="a.png">)",
       R"(<img alt=" src='x.png'" src=")" + png + R"(">)"},
      {"data and web addresses stay", R"(<img src="data:image/png;base64,AA"><img src="https://x/y.png">)",
       R"(<img src="data:image/png;base64,AA"><img src="https://x/y.png">)"},
      {"other tags and text stay", R"(<a href="a.png">src="a.png"</a><imgx src="a.png">)",
       R"(<a href="a.png">src="a.png"</a><imgx src="a.png">)"},
      {"non-ASCII text is copied byte for byte", "<p>手順</p><img src=\"a.png\">",
       "<p>手順</p><img src=\"" + png + "\">"},
  };
  for (const InlineCase& test : cases) EXPECT_EQ(inlineImages(test.html, twoImages), test.expected) << test.name;
}

TEST(InlineImages, AMissingImageIsAnErrorNamingIt) {
  try {
    inlineImages(R"(<img src="a.png"><img src="gone.png">)", twoImages);
    FAIL() << "no error for a missing image";
  } catch (const MissingImageError& error) {
    EXPECT_NE(std::string(error.what()).find("gone.png"), std::string::npos) << error.what();
  }
}

TEST(InlineImages, ReadsImagesRelativeToThePageFolder) {
  const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "embed_manual_test";
  std::filesystem::create_directories(folder / "images");
  std::ofstream(folder / "images" / "p.png", std::ios::binary) << std::string("\x89PNG\0\x01", 6);
  const std::string page = inlineImages(R"(<img src="images/p.png">)", filesBeside(folder));
  EXPECT_EQ(page, R"(<img src="data:image/png;base64,)" + encodeBase64(std::string("\x89PNG\0\x01", 6)) + R"(">)");
  EXPECT_THROW(inlineImages(R"(<img src="images/none.png">)", filesBeside(folder)), MissingImageError);
  std::filesystem::remove_all(folder);
}

TEST(MimeType, FollowsTheExtensionInAnyCase) {
  EXPECT_EQ(mimeTypeFor("x/a.PNG"), "image/png");
  EXPECT_EQ(mimeTypeFor("a.jpeg"), "image/jpeg");
  EXPECT_EQ(mimeTypeFor("a.svg"), "image/svg+xml");
  EXPECT_EQ(mimeTypeFor("noextension"), "application/octet-stream");
}

}  // namespace
}  // namespace namitra::embed
