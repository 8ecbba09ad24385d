#include "app/message_log.h"

#include "app/display_text.h"
#include "app/editor/editor_widget.h"

#include <QTime>

namespace namitra::app {

QString timeStampedLine(const QString& message) {
  return QStringLiteral("[%1]%2").arg(QTime::currentTime().toString(QStringLiteral("H:mm:ss")),
                                      message);
}

MessageLog::MessageLog(EditorWidget* pane) : m_pane(pane) {}

void MessageLog::AddMessage(std::string_view message) { AddMessage(toDisplayText(message)); }

void MessageLog::AddMessage(const QString& message) {
  editor::TextEditor& log = m_pane->editor();
  log.addLine(fromDisplayText(timeStampedLine(message)));
  // One past the last line: the editor clamps it to the end of the text.
  log.MoveCaret(log.lineCount(), 0);
  log.ScrollCaretIntoView();
}

QStringList MessageLog::lines() const {
  QStringList lines;
  const editor::TextEditor& log = m_pane->editor();
  for (int i = 0; i < log.lineCount(); ++i) lines << toDisplayText(log.line(i));
  return lines;
}

}  // namespace namitra::app
