// Makes an HTML page self-contained: every <img src="..."> that names a local file is replaced
// by a data URI holding the file's bytes in base64.
//
// The page is scanned for img tags (any letter case); inside a tag, the src attribute (quoted
// with " or ') is the one rewritten, never an attribute that merely ends in "src" such as
// data-src. A source that already carries a scheme (data:, http:, https:, file:) is left as it
// is. Everything else in the page is copied byte for byte. A local image that cannot be read is
// an error naming it: a manual with a broken picture is never produced silently.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace namitra::embed {

struct MissingImageError : std::runtime_error {
  explicit MissingImageError(const std::string& source)
      : std::runtime_error("cannot read the image \"" + source + "\"") {}
};

// Reads the bytes of an image named by its src text; nullopt when it cannot be read.
using ImageReader = std::function<std::optional<std::string>(std::string_view source)>;

// The MIME type for a file name's extension (png, svg, jpg/jpeg, gif, webp); otherwise
// application/octet-stream.
std::string mimeTypeFor(std::string_view source);

// True when `source` begins with a URI scheme ("data:", "https:", ...), so it is no local file.
bool hasScheme(std::string_view source);

// The page with each local image inlined; throws MissingImageError.
std::string inlineImages(std::string_view html, const ImageReader& read);

// Reads images relative to `folder` (the folder of the page).
ImageReader filesBeside(std::filesystem::path folder);

}  // namespace namitra::embed
