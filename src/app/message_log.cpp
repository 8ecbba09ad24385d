#include "app/message_log.h"

#include "app/display_text.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTime>

namespace namitra::app {

QString timeStampedLine(const QString& message) {
  return QStringLiteral("[%1]%2").arg(QTime::currentTime().toString(QStringLiteral("H:mm:ss")),
                                      message);
}

MessageLog::MessageLog(QPlainTextEdit* pane) : m_pane(pane) {}

void MessageLog::AddMessage(std::string_view message) { AddMessage(toDisplayText(message)); }

void MessageLog::AddMessage(const QString& message) {
  m_pane->appendPlainText(timeStampedLine(message));
  QTextCursor end = m_pane->textCursor();
  end.movePosition(QTextCursor::End);
  end.movePosition(QTextCursor::StartOfBlock);
  m_pane->setTextCursor(end);
  m_pane->ensureCursorVisible();
}

}  // namespace namitra::app

namespace namitra::app {

QStringList MessageLog::lines() const {
  const QString text = m_pane->toPlainText();
  return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

}  // namespace namitra::app
