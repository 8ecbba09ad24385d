#include "app/dialogs.h"

#include "app/display_text.h"
#include "sjis/char.h"

#include <QPushButton>

namespace namitra::app {

QString generalErrorText(const QString& message) {
  const std::string bytes = fromDisplayText(message);
  if (bytes.empty()) return message;
  const std::size_t last = sjis::charStartAt(bytes, bytes.size() - 1);
  if (static_cast<unsigned char>(bytes[last]) > '.') return message + QLatin1Char('.');
  return message;
}

void showGeneralError(QWidget* parent, const QString& message) {
  ask(parent, QMessageBox::Critical, kApplicationTitle, generalErrorText(message), QMessageBox::Ok,
      QMessageBox::Ok);
}

void runCommand(QWidget* parent, const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& error) {
    showGeneralError(parent, QString::fromUtf8(error.what()));
  }
}

namespace {

QString buttonText(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Yes: return QString::fromUtf8("はい(&Y)");
    case QMessageBox::No: return QString::fromUtf8("いいえ(&N)");
    case QMessageBox::Cancel: return QString::fromUtf8("キャンセル");
    default: return QStringLiteral("OK");
  }
}

Answer answerOf(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Ok: return Answer::Ok;
    default: return Answer::Cancel;
  }
}

}  // namespace

Answer ask(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QMessageBox box(icon, title, shown, buttons, parent);
  for (auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel, QMessageBox::Ok})
    if (QAbstractButton* b = box.button(button)) b->setText(buttonText(button));
  box.setDefaultButton(defaultButton);
  return answerOf(static_cast<QMessageBox::StandardButton>(box.exec()));
}

}  // namespace namitra::app
