// The message log: the pane at the bottom of the main window in which every command reports its
// outcome as one time-stamped line.
//
// Each line is "[" + the local time as H:mm:ss + "]" + the message. Lines are only ever
// appended, and after each one the newest line is scrolled into view, whatever the user scrolled
// to before. A message that begins with ">> " says the command found nothing to do or stopped; one
// that begins with "■" says it finished.
#pragma once

#include <QString>
#include <QStringList>

#include <string_view>


namespace namitra::app {

class EditorWidget;

class MessageLog {
 public:
  explicit MessageLog(EditorWidget* pane);

  // `message` is Shift-JIS text.
  void AddMessage(std::string_view message);
  // The same for a text that is already a Qt string (the program's own messages).
  void AddMessage(const QString& message);

  // The lines of the log, oldest first.
  QStringList lines() const;

 private:
  EditorWidget* m_pane;
};

// The line the log shows for `message` at the current time of day.
QString timeStampedLine(const QString& message);

}  // namespace namitra::app
