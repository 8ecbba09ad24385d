// Files dropped anywhere on the main window become rows of the file list.
//
// An event filter on the application sees every drag and drop event before the widget under the
// pointer does. Over any widget of the main window, a drag that carries local files is accepted,
// and its drop hands the files' exact paths (bytes, as the file manager percent-encoded them) to
// the window and is marked handled, so that no widget (the log pane, the edit text) takes the
// drop as text. Every other event passes untouched.
#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QMimeData;
class QWidget;

namespace namitra::app {

class FileDropFilter : public QObject {
 public:
  using DropHandler = std::function<void(std::vector<std::string> nativePaths)>;

  FileDropFilter(QWidget* window, DropHandler onDrop, QObject* parent = nullptr);

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool isOnWindow(QObject* watched) const;

  QWidget* m_window;
  DropHandler m_onDrop;
};

// The native paths of the local files a drag carries, in the order of its URI list.
std::vector<std::string> droppedLocalPaths(const QMimeData& mime);

}  // namespace namitra::app
