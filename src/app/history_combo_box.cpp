#include "app/history_combo_box.h"

#include <QLineEdit>

namespace namitra::app {

HistoryComboBox::HistoryComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
}

void HistoryComboBox::showPopup() {
  emit popupAboutToShow();
  QComboBox::showPopup();
}

void HistoryComboBox::setEntries(const QStringList& entries) {
  const QString text = currentText();
  const int cursor = lineEdit()->cursorPosition();
  clear();
  addItems(entries);
  setEditText(text);
  lineEdit()->setCursorPosition(cursor);
}

}  // namespace namitra::app
