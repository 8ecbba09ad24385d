// The options dialog shown the three ways the window shows it: modally from its menu command,
// and without waiting from the two list-edit commands with the main window disabled; its pages,
// grids and list texts; and what each way of closing it writes to Extract.lst and ConvFmt.lst.
#include "frm_main_fixture.h"

#include "app/editor/editor_widget.h"
#include "app/frm_option.h"

#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>

#include <functional>

namespace namitra::app {
namespace {

class OptionDialogTest : public FrmMainTest {
 protected:
  void SetUp() override {
    FrmMainTest::SetUp();
    writeFile(folder() / "Extract.lst", "one\r\n\r\ntwo\r\n");
    writeFile(folder() / "ConvFmt.lst", "%F_NAME%\r\n");
  }

  // Runs `whileShown` on the modal dialog that actOption shows, once it is up.
  static void withModalOptions(FrmMain& window, const std::function<void(FrmOption&)>& whileShown) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<FrmOption*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      ran = true;
      whileShown(*dialog);
      if (dialog->isVisible()) dialog->close();
    });
    window.action("actOption")->trigger();
    EXPECT_TRUE(ran);
  }

  static QPlainTextEdit* listText(FrmOption& dialog, const char* name) {
    return dialog.findChild<QPlainTextEdit*>(QString::fromLatin1(name));
  }
};

TEST_F(OptionDialogTest, CloseBoxAfterTheMenuCommandWritesBothLists) {
  auto window = openWindow();
  withModalOptions(*window, [](FrmOption& dialog) {
    EXPECT_EQ(dialog.filterList(), (std::vector<std::string>{"one", "", "two"}));
    EXPECT_EQ(dialog.formatList(), (std::vector<std::string>{"%F_NAME%"}));
    listText(dialog, "mOptExtract")->setPlainText(QStringLiteral("three\none"));
    listText(dialog, "mOptFmtLists")->setPlainText(QStringLiteral("%NUM%\n\n%F_EXT%"));
    dialog.close();  // the title bar's close box
  });
  EXPECT_FALSE(window->options().isVisible());
  EXPECT_EQ(fileBytes(folder() / "Extract.lst"), "three\r\none\r\n");
  EXPECT_EQ(fileBytes(folder() / "ConvFmt.lst"), "%NUM%\r\n\r\n%F_EXT%\r\n");
}

TEST_F(OptionDialogTest, FormatListEditFocusesItsPageAndTheCloseBoxStoresNothing) {
  auto window = openWindow();
  window->action("actFmtListEdit")->trigger();
  FrmOption& dialog = window->options();
  ASSERT_TRUE(dialog.isVisible());
  EXPECT_FALSE(dialog.isModal());
  EXPECT_FALSE(window->isEnabled());
  EXPECT_EQ(dialog.pages()->currentIndex(), FrmOption::FormatListPage);
  EXPECT_TRUE(QTest::qWaitFor([&] { return listText(dialog, "mOptFmtLists")->hasFocus(); }));
  // Both lists were loaded, so OK would write both as they are.
  EXPECT_EQ(dialog.filterList(), (std::vector<std::string>{"one", "", "two"}));

  listText(dialog, "mOptFmtLists")->setPlainText(QStringLiteral("edited"));
  dialog.close();
  EXPECT_TRUE(window->isEnabled());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(fileBytes(folder() / "ConvFmt.lst"), "%F_NAME%\r\n");
  EXPECT_EQ(dialog.formatList(), (std::vector<std::string>{"edited"}));  // hidden, not lost

  // The next load from the file overwrites the edit.
  window->action("actFileListExtractEdit")->trigger();
  EXPECT_EQ(dialog.pages()->currentIndex(), FrmOption::FilterListPage);
  EXPECT_EQ(dialog.formatList(), (std::vector<std::string>{"%F_NAME%"}));
  dialog.close();
  EXPECT_TRUE(window->isEnabled());
}

TEST_F(OptionDialogTest, OkThatCannotWriteKeepsTheDialogOpenAndTheWindowDisabled) {
  auto window = openWindow();
  window->action("actFileListExtractEdit")->trigger();
  FrmOption& dialog = window->options();
  fs::remove(folder() / "ConvFmt.lst");
  fs::create_directory(folder() / "ConvFmt.lst");  // cannot be written as a file
  QString error;
  answerNextMessageBox(QMessageBox::Ok, &error);
  QTest::mouseClick(dialog.findChild<QAbstractButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
  EXPECT_TRUE(error.contains(QStringLiteral("ConvFmt.lst"))) << error.toStdString();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(window->isEnabled());
  EXPECT_EQ(fileBytes(folder() / "Extract.lst"), "one\r\n\r\ntwo\r\n");  // written before it

  dialog.close();
  EXPECT_TRUE(window->isEnabled());
}

TEST_F(OptionDialogTest, ShowsItsPagesAndKeepsTheLastOneActive) {
  auto window = openWindow();
  withModalOptions(*window, [&](FrmOption& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("オプション"));
    EXPECT_EQ(dialog.size(), QSize(269, 303));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());  // not resizable
    const QTabWidget* pages = dialog.pages();
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->height(), 273);
    EXPECT_EQ(pages->tabText(0), QString::fromUtf8("変換文字"));
    EXPECT_EQ(pages->tabText(1), QString::fromUtf8("絞り込み一覧"));
    EXPECT_EQ(pages->tabText(2), QString::fromUtf8("形式化文字列一覧"));
    EXPECT_EQ(pages->currentIndex(), FrmOption::FilterListPage);  // the first showing
    EXPECT_LT(qAbs(dialog.frameGeometry().center().x() - window->frameGeometry().center().x()), 3);
    dialog.pages()->setCurrentIndex(FrmOption::ReplaceCharsPage);
  });
  withModalOptions(*window, [](FrmOption& dialog) {
    EXPECT_EQ(dialog.pages()->currentIndex(), FrmOption::ReplaceCharsPage);
  });
}

TEST_F(OptionDialogTest, GridKeysAreFixedAndATenthStoredRowIsShownAndEditable) {
  std::string stored;
  for (const char* key : {"\\", "/", ":", "*", "?", "\"", "<", ">", "|", "ab"})
    stored += std::string(key) + "=\r\n";
  writeFile(folder() / "ValidFileNameChar.rld", stored);
  auto window = openWindow();
  auto* grid = window->options().findChild<QTableWidget*>(QStringLiteral("vleChkFileNameChar"));
  auto* tab = window->options().findChild<QTableWidget*>(QStringLiteral("vleChkFileNameChar2"));
  ASSERT_NE(grid, nullptr);
  ASSERT_NE(tab, nullptr);
  for (QTableWidget* each : {grid, tab}) {
    EXPECT_EQ(each->horizontalHeaderItem(0)->text(), QString::fromUtf8("使用不可文字"));
    EXPECT_EQ(each->horizontalHeaderItem(1)->text(), QString::fromUtf8("変換文字"));
    EXPECT_EQ(each->columnWidth(0), 80);
    EXPECT_EQ(each->columnWidth(1), 91);
    EXPECT_EQ(each->verticalHeader()->defaultSectionSize(), 16);
    EXPECT_TRUE(each->toolTip().startsWith(QString::fromUtf8("・文字の変換は、[編集]タブから")));
    EXPECT_FALSE(each->item(0, 0)->flags().testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(each->item(0, 1)->flags().testFlag(Qt::ItemIsEditable));
  }
  ASSERT_EQ(grid->rowCount(), 10);
  EXPECT_EQ(grid->item(9, 0)->text(), QStringLiteral("ab"));
  EXPECT_EQ(grid->height(), 161);
  ASSERT_EQ(tab->rowCount(), 1);
  EXPECT_EQ(tab->item(0, 0)->text(), QStringLiteral("TAB"));

  // An edited replacement is what the table gives at once (the next return from the edit page).
  grid->item(9, 1)->setText(QStringLiteral("x"));
  tab->item(0, 1)->setText(QStringLiteral("__"));
  EXPECT_EQ(window->options().fileNameCharTable()[9].value, "x");
  EXPECT_EQ(window->options().tabReplacement(), "__");
  window->action("actViewEdit")->trigger();
  window->editText().editor().setText("zabz\tq");
  window->addPaths({"/d/one"});
  window->action("actViewFileList")->trigger();
  EXPECT_EQ(window->fileList().list().row(0).plannedName, "zxz__q");
}

}  // namespace
}  // namespace namitra::app
