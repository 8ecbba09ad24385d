#include "rename/dropped_paths.h"

#include <gtest/gtest.h>

namespace namitra::rename {
namespace {

using Paths = std::vector<std::string>;

TEST(UriList, DecodesLocalFilesInOrderWithExactBytes) {
  const std::string list =
      "file:///home/u/a%20b.txt\r\n"
      "# a comment\r\n"
      "file://localhost/home/u/caf%C3%A9\r\n"
      "file://myhost/home/u/raw%FF%80\r\n"
      "file:///home/u/100%25\r\n";
  EXPECT_EQ(localPathsFromUriList(list, "myhost"),
            (Paths{"/home/u/a b.txt", "/home/u/caf\xC3\xA9", "/home/u/raw\xFF\x80", "/home/u/100%"}));
}

TEST(UriList, SkipsRemoteAndNonFileUris) {
  const std::string list =
      "http://example.org/a\r\nfile://otherhost/x\r\nsmb://h/s\r\n\r\nFILE:///ok\n";
  EXPECT_EQ(localPathsFromUriList(list, "myhost"), (Paths{"/ok"}));
}

TEST(UriList, MalformedPercentEscapesStayAsTheyAre) {
  EXPECT_EQ(localPathsFromUriList("file:///a%zz%4", "h"), (Paths{"/a%zz%4"}));
}

TEST(DroppedPath, RelativeBecomesAbsoluteAndTrailingSlashesGo) {
  EXPECT_EQ(normalizedDroppedPath("a.txt", "/work"), "/work/a.txt");
  EXPECT_EQ(normalizedDroppedPath("sub/b", "/work/"), "/work/sub/b");
  EXPECT_EQ(normalizedDroppedPath("/abs/photos//", "/work"), "/abs/photos");
  EXPECT_EQ(normalizedDroppedPath("/", "/work"), "/");
}

}  // namespace
}  // namespace namitra::rename
