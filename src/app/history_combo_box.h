// The editable combo boxes whose drop-down list is a history kept in a list file (the filter
// box, the format box, the search and replacement boxes): each announces when its list is about
// to open, so that the window can refill it from the file first.
#pragma once

#include <QComboBox>

namespace namitra::app {

class HistoryComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit HistoryComboBox(QWidget* parent = nullptr);

  void showPopup() override;
  // Replaces the list's entries by `entries`; the box's text stays as it is.
  void setEntries(const QStringList& entries);

 signals:
  void popupAboutToShow();
};

}  // namespace namitra::app
