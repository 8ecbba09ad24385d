// The edit tool pane (pcEdit) beside the edit text: the pages "一括置換" (batch replace),
// "置換" (search and replace) and "形式化" (format), with their controls.
//
// The pane only builds and lays out the controls; the main window binds them to its commands
// and owns what they do. The tool bars are made by the window from its actions and handed in.
#pragma once

#include <QTabWidget>

class QCheckBox;
class QListWidget;
class QPushButton;
class QToolBar;

namespace namitra::app {

class HistoryComboBox;
class NumberBox;
class RuleGrid;

class ToolPane : public QTabWidget {
  Q_OBJECT
 public:
  enum Page { ReplaceListPage = 0, ReplacePage = 1, FormatPage = 2 };

  ToolPane(QToolBar* tbReplaceList, QToolBar* tbReplace, QToolBar* tbFmt,
           QWidget* parent = nullptr);

  // "一括置換"
  QListWidget* clbReplaceListFileList = nullptr;
  RuleGrid* vleReplaceList = nullptr;
  // "置換"
  HistoryComboBox* cbRegReplaceSrc = nullptr;
  HistoryComboBox* cbRegReplaceDst = nullptr;
  QCheckBox* cbRegMatchCase = nullptr;
  QCheckBox* cbRegWholeWord = nullptr;
  QCheckBox* cbRegRegexp = nullptr;
  QCheckBox* cbRegFuzzy = nullptr;
  // "形式化"
  HistoryComboBox* cbFmtLists = nullptr;
  NumberBox* sedtNLStartValue = nullptr;
  NumberBox* sedtNLDigit = nullptr;
  QList<QPushButton*> variableButtons;

 private:
  QWidget* createReplaceListPage(QToolBar* bar);
  QWidget* createReplacePage(QToolBar* bar);
  QWidget* createFormatPage(QToolBar* bar);
};

}  // namespace namitra::app
