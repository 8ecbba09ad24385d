#include "app/tool_pane.h"

#include "app/history_combo_box.h"
#include "app/number_box.h"
#include "app/rule_grid.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace namitra::app {
namespace {

template <typename Widget>
Widget* named(Widget* widget, const char* objectName, const char* hint = nullptr) {
  widget->setObjectName(QString::fromLatin1(objectName));
  if (hint) {
    widget->setToolTip(QString::fromUtf8(hint));
    widget->setStatusTip(QString::fromUtf8(hint));
  }
  return widget;
}

QVBoxLayout* pageLayout(QWidget* page, QToolBar* bar) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(4);
  layout->addWidget(bar);
  return layout;
}

QGroupBox* frame(const char* caption, QLayout* contents) {
  auto* box = new QGroupBox(QString::fromUtf8(caption));
  box->setLayout(contents);
  return box;
}

struct VariableButton {
  const char* name;
  const char* caption;
  const char* inserts;
};

constexpr VariableButton kVariableButtons[] = {
    {"btnStr_F_Name", "ファイル名:%F_NAME%", "%F_NAME%"},
    {"btnStr_F_NameLL", "ファイル名(AA):%F_NAMEAA%", "%F_NAMEAA%"},
    {"btnStr_F_NameSS", "ファイル名(aa):%F_NAMEaa%", "%F_NAMEaa%"},
    {"btnStr_F_Ext", "拡張子:%F_EXT%", "%F_EXT%"},
    {"btnStr_F_ExtLL", "拡張子(AA):%F_EXTAA%", "%F_EXTAA%"},
    {"btnStr_F_ExtSS", "拡張子(aa):%F_EXTaa%", "%F_EXTaa%"},
    {"btnStr_NUM", "連番:%NUM%", "%NUM%"},
    {"btnStr_Dot", "ドット(.):.", "."},
};

}  // namespace

ToolPane::ToolPane(QToolBar* tbReplaceList, QToolBar* tbReplace, QToolBar* tbFmt, QWidget* parent)
    : QTabWidget(parent) {
  setObjectName(QStringLiteral("pcEdit"));
  setFixedWidth(261);
  addTab(createReplaceListPage(tbReplaceList), QString::fromUtf8("一括置換"));
  addTab(createReplacePage(tbReplace), QString::fromUtf8("置換"));
  addTab(createFormatPage(tbFmt), QString::fromUtf8("形式化"));
}

QWidget* ToolPane::createReplaceListPage(QToolBar* bar) {
  auto* page = named(new QWidget, "tsReplaceList");
  QVBoxLayout* layout = pageLayout(page, bar);
  clbReplaceListFileList = named(
      new QListWidget, "clbReplaceListFileList",
      "保存された置換リストです。使用する場合はチェックを入れて下さい。");
  vleReplaceList = named(new RuleGrid, "vleReplaceList",
                         "左に検索文字列右に置換文字列、１行１規則記述します");
  layout->addWidget(clbReplaceListFileList, 1);
  layout->addWidget(vleReplaceList, 2);
  return page;
}

QWidget* ToolPane::createReplacePage(QToolBar* bar) {
  auto* page = named(new QWidget, "tsReplace");
  QVBoxLayout* layout = pageLayout(page, bar);
  cbRegReplaceSrc = named(new HistoryComboBox, "cbRegReplaceSrc");
  cbRegReplaceDst = named(new HistoryComboBox, "cbRegReplaceDst");
  layout->addWidget(new QLabel(QString::fromUtf8("検索文字列")));
  layout->addWidget(cbRegReplaceSrc);
  layout->addWidget(new QLabel(QString::fromUtf8("置換文字列")));
  layout->addWidget(cbRegReplaceDst);

  cbRegMatchCase = named(new QCheckBox(QString::fromUtf8("大/小文字の区別")), "cbRegMatchCase");
  cbRegWholeWord = named(new QCheckBox(QString::fromUtf8("単語検索")), "cbRegWholeWord");
  cbRegRegexp = named(new QCheckBox(QString::fromUtf8("正規表現")), "cbRegRegexp");
  cbRegFuzzy = named(new QCheckBox(QString::fromUtf8("あいまい検索")), "cbRegFuzzy");
  auto* options = new QVBoxLayout;
  for (QCheckBox* box : {cbRegMatchCase, cbRegWholeWord, cbRegRegexp, cbRegFuzzy})
    options->addWidget(box);
  layout->addWidget(frame("オプション", options));
  layout->addStretch();
  return page;
}

QWidget* ToolPane::createFormatPage(QToolBar* bar) {
  auto* page = named(new QWidget, "tsFmt");
  QVBoxLayout* layout = pageLayout(page, bar);

  cbFmtLists = named(new HistoryComboBox, "cbFmtLists",
                     "直接文字を入力するか、変数ボタンをクリックして下さい");
  cbFmtLists->setCompleter(nullptr);  // the list is offered, never completed into the text
  auto* expression = new QVBoxLayout;
  expression->addWidget(cbFmtLists);
  layout->addWidget(frame("変換文字列式", expression));

  auto* variables = new QVBoxLayout;
  variables->setSpacing(2);
  for (const VariableButton& spec : kVariableButtons) {
    auto* button = named(new QPushButton(QString::fromUtf8(spec.caption)), spec.name, spec.inserts);
    button->setFocusPolicy(Qt::NoFocus);  // the format box keeps its caret and selection
    connect(button, &QPushButton::clicked, cbFmtLists,
            [this, button] { cbFmtLists->lineEdit()->insert(button->toolTip()); });
    variables->addWidget(button);
    variableButtons.append(button);
  }
  layout->addWidget(frame("使用可能変数", variables));

  sedtNLStartValue = named(new NumberBox(0, 2147483647, 1, 8), "sedtNLStartValue");
  sedtNLDigit = named(new NumberBox(1, 16, 1, 2), "sedtNLDigit");
  auto* numbers = new QFormLayout;
  numbers->addRow(QString::fromUtf8("初期値："), sedtNLStartValue);
  numbers->addRow(QString::fromUtf8("桁数："), sedtNLDigit);
  layout->addWidget(frame("連番設定", numbers));
  layout->addStretch();
  return page;
}

}  // namespace namitra::app
