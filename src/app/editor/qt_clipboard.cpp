#include "app/editor/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "app/display_text.h"

namespace namitra::app {

bool QtClipboard::hasText() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && (data->hasText() || data->hasFormat(kBoxMimeType));
}

std::string QtClipboard::text() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data) return {};
  if (data->hasFormat(kBoxMimeType)) return data->data(kBoxMimeType).toStdString();
  return fromDisplayText(data->text());
}

bool QtClipboard::holdsBox() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && data->hasFormat(kBoxMimeType);
}

void QtClipboard::setText(std::string_view text, bool box) {
  auto* data = new QMimeData;
  data->setText(toDisplayText(text));
  if (box) data->setData(kBoxMimeType, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  QGuiApplication::clipboard()->setMimeData(data);
}

}  // namespace namitra::app
