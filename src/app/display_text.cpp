#include "app/display_text.h"

#include "platform/name_codec.h"
#include "sjis/codec.h"

namespace namitra::app {
namespace {
platform::NameCodec* g_codec = nullptr;
}

void setDisplayCodec(platform::NameCodec* codec) { g_codec = codec; }

QString toDisplayText(std::string_view cp932) {
  const std::string utf8 = g_codec ? g_codec->toDisplay(cp932) : sjis::toUtf8(cp932);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string fromDisplayText(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  const std::string_view view(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  if (!g_codec) return sjis::fromUtf8(view);
  if (auto internal = g_codec->fromDisplay(view)) return *std::move(internal);
  return sjis::fromUtf8(view);
}

}  // namespace namitra::app
