// The paths of files dropped onto the window or named on the command line.
//
// File managers drop a text/uri-list: one URI per line (CR LF), lines starting with "#" are
// comments, and a local file is "file:///path" or "file://host/path" with every byte that is not
// a plain URI character percent-encoded. Decoding gives back the path's exact bytes, which need
// not be UTF-8. Only local files are taken: URIs of another scheme or of a host other than
// "localhost" or this machine are skipped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace namitra::rename {

// The native paths of the local files in a text/uri-list, in list order. `hostName` is this
// machine's name, accepted as the host of a file URI besides "" and "localhost".
std::vector<std::string> localPathsFromUriList(std::string_view uriList, std::string_view hostName);

// A path as a row takes it: a relative path is made absolute against `workingFolder`, and
// trailing "/" are dropped (a folder named "photos/" is the row "photos" in its parent); the root
// folder "/" stays as it is.
std::string normalizedDroppedPath(std::string_view path, std::string_view workingFolder);

}  // namespace namitra::rename
