// The filter box of the file-list tool bar: an editable combo box that announces when its
// drop-down list is about to open, so that the window can refill it from Extract.lst first.
#pragma once

#include <QComboBox>

namespace namitra::app {

class FilterComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit FilterComboBox(QWidget* parent = nullptr);

  void showPopup() override;

 signals:
  void popupAboutToShow();
};

}  // namespace namitra::app
