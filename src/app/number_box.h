// The number boxes of the format page (sedtNLStartValue, sedtNLDigit): a text box with up and
// down buttons whose text is read as an integer when the format is applied.
//
// Typing takes only the digits 0 to 9 and at most `maxTyped` characters; every other typed
// character is discarded, Backspace included, while the Delete key, overtyping a selection and
// pasting still work. The buttons (and the arrow keys) step the value by 1 within the range.
// The range is enforced only when the box is left: a text that does not read as an integer
// first gives the dialog "数値以外の文字が含まれています。" and becomes "0", then a value
// outside the range is set to its nearest end.
#pragma once

#include <QAbstractSpinBox>

#include <cstdint>

namespace namitra::app {

class NumberBox : public QAbstractSpinBox {
  Q_OBJECT
 public:
  NumberBox(int minimum, int maximum, int initial, int maxTyped, QWidget* parent = nullptr);

  QString text() const;
  void setText(const QString& text);
  // The value the text reads as; the minimum when it does not read as an integer.
  std::int64_t value() const;
  int minimum() const { return m_minimum; }
  int maximum() const { return m_maximum; }

  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& position) const override;
  void fixup(QString& input) const override;

 protected:
  StepEnabled stepEnabled() const override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void enforceRange();

  int m_minimum;
  int m_maximum;
  int m_maxTyped;
};

}  // namespace namitra::app
