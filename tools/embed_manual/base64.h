// Base64 (RFC 4648, with padding) for the data URIs that make the installed manual
// self-contained.
#pragma once

#include <string>
#include <string_view>

namespace namitra::embed {

// The standard alphabet, "=" padding, no line breaks.
std::string encodeBase64(std::string_view bytes);

}  // namespace namitra::embed
