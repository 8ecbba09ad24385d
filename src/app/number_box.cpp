#include "app/number_box.h"

#include "app/dialogs.h"
#include "tools/format_tool.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace namitra::app {
namespace {

bool isEditingShortcut(QKeyEvent* event) {
  for (auto key : {QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Copy,
                   QKeySequence::SelectAll, QKeySequence::Undo, QKeySequence::Redo})
    if (event->matches(key)) return true;
  return false;
}

bool isTypedCharacter(QKeyEvent* event) {
  return !event->text().isEmpty() && event->key() != Qt::Key_Delete && !isEditingShortcut(event);
}

bool isDigitText(const QString& text) {
  return std::all_of(text.begin(), text.end(),
                     [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

}  // namespace

NumberBox::NumberBox(int minimum, int maximum, int initial, int maxTyped, QWidget* parent)
    : QAbstractSpinBox(parent), m_minimum(minimum), m_maximum(maximum), m_maxTyped(maxTyped) {
  setText(QString::number(initial));
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  setKeyboardTracking(true);
}

QString NumberBox::text() const { return lineEdit()->text(); }

void NumberBox::setText(const QString& text) { lineEdit()->setText(text); }

std::int64_t NumberBox::value() const {
  return tools::numberBoxValue(text().toStdString(), m_minimum);
}

void NumberBox::stepBy(int steps) {
  const std::int64_t stepped = std::clamp<std::int64_t>(value() + steps, m_minimum, m_maximum);
  setText(QString::number(stepped));
  selectAll();
}

QValidator::State NumberBox::validate(QString&, int&) const {
  return QValidator::Acceptable;  // pasted text is taken as it is; leaving the box checks it
}

void NumberBox::fixup(QString&) const {}

QAbstractSpinBox::StepEnabled NumberBox::stepEnabled() const {
  return StepUpEnabled | StepDownEnabled;
}

void NumberBox::keyPressEvent(QKeyEvent* event) {
  const bool typesOverSelection = lineEdit()->hasSelectedText();
  if (isTypedCharacter(event)) {
    const bool fits = typesOverSelection || text().size() < m_maxTyped;
    if (!isDigitText(event->text()) || !fits) {
      event->accept();
      return;
    }
  }
  QAbstractSpinBox::keyPressEvent(event);
}

void NumberBox::focusOutEvent(QFocusEvent* event) {
  QAbstractSpinBox::focusOutEvent(event);
  enforceRange();
}

void NumberBox::enforceRange() {
  if (!tools::readsAsInteger(text().toStdString())) {
    ask(this, QMessageBox::NoIcon, kApplicationTitle,
        QString::fromUtf8("数値以外の文字が含まれています。"), QMessageBox::Ok, QMessageBox::Ok);
    setText(QStringLiteral("0"));
  }
  const std::int64_t inRange = std::clamp<std::int64_t>(value(), m_minimum, m_maximum);
  if (inRange != value()) setText(QString::number(inRange));
}

}  // namespace namitra::app
