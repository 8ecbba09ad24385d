#include "app/filter_combo_box.h"

namespace namitra::app {

FilterComboBox::FilterComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
}

void FilterComboBox::showPopup() {
  emit popupAboutToShow();
  QComboBox::showPopup();
}

}  // namespace namitra::app
