// The program's modal message dialogs: the general error dialog that shows every error escaping
// a command, and questions with the buttons "はい(&Y)", "いいえ(&N)", "キャンセル" and "OK".
#pragma once

#include <QMessageBox>
#include <QString>

#include <exception>
#include <functional>

class QWidget;

namespace namitra::app {

// The application title: the task-bar text and the caption of the general error dialog.
inline const QString kApplicationTitle = QStringLiteral("Namitra!");

// The text the general error dialog shows for `message`: a full stop is appended when the first
// byte of its last character, in code page 932, sorts after ".".
QString generalErrorText(const QString& message);

// Shows the general error dialog: the error's text, caption "Namitra!", error icon, OK button.
void showGeneralError(QWidget* parent, const QString& message);

// Runs one command to its end; an exception that escapes it is shown by the general error
// dialog and the program goes on with the next user input. Nothing is rolled back.
void runCommand(QWidget* parent, const std::function<void()>& command);

enum class Answer { Yes, No, Cancel, Ok };

// A modal question. `buttons` is a combination of QMessageBox::Yes, No, Cancel and Ok; their
// texts are the program's Japanese ones.
Answer ask(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton);

}  // namespace namitra::app
