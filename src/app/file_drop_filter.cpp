#include "app/file_drop_filter.h"

#include "rename/dropped_paths.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <unistd.h>

namespace namitra::app {

namespace {

std::string localHostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

}  // namespace

std::vector<std::string> droppedLocalPaths(const QMimeData& mime) {
  const QByteArray uriList = mime.data(QStringLiteral("text/uri-list"));
  if (!uriList.isEmpty())
    return rename::localPathsFromUriList({uriList.constData(), std::size_t(uriList.size())},
                                         localHostName());
  std::vector<std::string> paths;
  for (const QUrl& url : mime.urls())
    if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  return paths;
}

FileDropFilter::FileDropFilter(QWidget* window, DropHandler onDrop, QObject* parent)
    : QObject(parent), m_window(window), m_onDrop(std::move(onDrop)) {}

bool FileDropFilter::isOnWindow(QObject* watched) const {
  auto* widget = qobject_cast<QWidget*>(watched);
  return widget && widget->window() == m_window;
}

bool FileDropFilter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
  if (!isOnWindow(watched)) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  const QMimeData* mime = drop->mimeData();
  if (!mime || !mime->hasUrls()) return false;
  drop->setDropAction(Qt::CopyAction);
  drop->accept();
  if (type == QEvent::Drop) m_onDrop(droppedLocalPaths(*mime));
  return true;
}

}  // namespace namitra::app
