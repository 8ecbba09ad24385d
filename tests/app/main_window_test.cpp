// The main window's command set as a user meets it: every action with its caption, hint,
// shortcut and image, the menus, tool bars and context menu holding them, the Ctrl+digit keys
// in and out of the edit text, tool-bar buttons that leave the focus alone, the status-bar hint,
// stay on top, the general error dialog's text, the about box and help.
//
// With NAMITRA_SCREENSHOT_DIR set, the screenshot test saves the window on both pages, each
// menu opened, the options dialog's pages and the about box there as PNG files.
#include "frm_main_fixture.h"

#include "app/action_table.h"
#include "app/dialogs.h"
#include "app/editor/editor_widget.h"
#include "app/frm_about.h"
#include "app/frm_option.h"
#include "app/history_combo_box.h"
#include "app/tool_pane.h"

#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <QWidgetAction>

#include <set>

namespace namitra::app {
namespace {

// The action list as the window must have it, in list order.
struct ExpectedAction {
  const char* name;
  const char* category;
  const char* caption;
  const char* hint;  // before start-up appends the shortcut text
  const char* shortcut;
  int image;
};

const ExpectedAction kActions[] = {
    {"actEditCopyFromOldName", "Edit", "[ファイルリスト]の取込", "[ファイルリスト]の取込", "", 3},
    {"actEditPaste", "Edit", "クリップボードから貼り付け", "クリップボードから貼り付け", "", 4},
    {"actFileListExecute", "FileList", "変換の実行", "変換の実行", "", 2},
    {"actFileListClear", "FileList", "[ファイルリスト]のクリア", "[ファイルリスト]のクリア", "", 0},
    {"actFileListDel", "FileList", "選択したリストの削除", "選択したリストの削除", "", 11},
    {"actEditMacroRec", "Edit", "マクロ記録開始/終了", "マクロ記録開始/終了", "Shift+F1", 5},
    {"actEditMacroExec", "Edit", "マクロ再生", "マクロ再生", "Shift+F2", 2},
    {"actFmtExecute", "Fmt", "形式化の実行", "形式化の実行", "", 2},
    {"actFileListSwapOldNew", "FileList", "古<->新", "[現在]と[変更予定]のファイル名を入れ替え", "", 1},
    {"actReplaceListClear", "ReplaceList", "一次置換リストをクリア", "一次置換リストをクリア", "", 0},
    {"actReplaceListLoad", "ReplaceList", "一次置換リストを読み込み", "一次置換リストを読み込み", "", 6},
    {"actReplaceListSave", "ReplaceList", "一次置換リストを保存", "一次置換リストを保存", "", 7},
    {"actReplaceListExecute", "ReplaceList", "一括置換実行", "一括置換実行", "", 2},
    {"actEditClear", "Edit", "編集中のテキストのクリア", "編集中のテキストのクリア", "", 0},
    {"actFmtClear", "Fmt", "形式化文字列のクリア", "形式化文字列のクリア", "", 0},
    {"actFmtListEdit", "Fmt", "変換文字列式一覧の編集", "変換文字列式一覧の編集", "", 8},
    {"actFileListExtract", "FileList", "リストの絞り込み", "リストの絞り込み", "", 9},
    {"actFileListExtractEdit", "FileList", "絞り込み用文字列の編集", "絞り込み用文字列の編集", "", 8},
    {"actReplaceListReload", "ReplaceList", "置換ファイル一覧の再読込", "置換ファイル一覧の再読込", "", 10},
    {"actReplaceListFileDelete", "ReplaceList", "反転選択しているファイルを削除します",
     "反転選択しているファイルを削除します", "", 11},
    {"actEditUndo", "Edit", "アンドゥ", "アンドゥ", "", 12},
    {"actEditRedo", "Edit", "リドゥ", "リドゥ", "", 13},
    {"actClose", "File", "終了(&X)", "", "", -1},
    {"actHelp", "Help", "ヘルプ(&H)", "", "", 14},
    {"actAbout", "Help", "バージョン情報(&A)", "", "", -1},
    {"actViewFileList", "View", "ファイルリスト", "", "Ctrl+1", -1},
    {"actViewEdit", "View", "編集", "", "Ctrl+2", -1},
    {"actOption", "Tool", "オプション(&O)", "", "", -1},
    {"actChangeHistory", "Tool", "変更履歴(&H)", "", "", -1},
    {"actReplaceExecute", "Replace", "actReplaceExecute", "置換実行", "", 2},
    {"actViewStayOnTop", "View", "常に最前面に表示(&T)", "", "", -1},
    {"actViewEditTools", "View", "編集ツール画面(&E)", "", "", -1},
};

QImage pictureOf(const QIcon& icon) { return icon.pixmap(QSize(16, 16)).toImage(); }

QString hintAfterStartUp(const ExpectedAction& expected) {
  const QString hint = QString::fromUtf8(expected.hint);
  if (!*expected.shortcut) return hint;
  return QStringLiteral("%1 (%2)").arg(hint, QString::fromLatin1(expected.shortcut));
}

TEST_F(FrmMainTest, EveryActionHasItsCaptionHintShortcutAndImageInListOrder) {
  auto window = openWindow();
  const QList<QAction*> actions = window->actions();
  ASSERT_EQ(actions.size(), static_cast<qsizetype>(std::size(kActions)));
  for (std::size_t i = 0; i < std::size(kActions); ++i) {
    const ExpectedAction& expected = kActions[i];
    const QAction* action = actions[static_cast<qsizetype>(i)];
    SCOPED_TRACE(expected.name);
    EXPECT_EQ(action->objectName(), QString::fromLatin1(expected.name));
    EXPECT_EQ(action->property("category").toString(), QString::fromLatin1(expected.category));
    EXPECT_EQ(action->text(), QString::fromUtf8(expected.caption));
    EXPECT_EQ(action->statusTip(), hintAfterStartUp(expected));
    EXPECT_EQ(action->shortcut().toString(QKeySequence::NativeText),
              QString::fromLatin1(expected.shortcut));
    EXPECT_TRUE(action->isEnabled());
    if (expected.image < 0)
      EXPECT_TRUE(action->icon().isNull());
    else
      EXPECT_EQ(pictureOf(action->icon()), pictureOf(toolBarImage(expected.image)));
  }
}

TEST_F(FrmMainTest, TheFifteenToolBarImagesAreDrawnAndAllDiffer) {
  std::set<QByteArray> seen;
  for (int index = 0; index < kToolBarImageCount; ++index) {
    const QImage image = pictureOf(toolBarImage(index)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(image.isNull()) << index;
    seen.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kToolBarImageCount));
}

// A menu or tool bar as a list: action names, "-" or "|" for separators, and for the filter
// box and its label their object name or text.
QStringList entriesOf(const QWidget* holder, const QString& separator) {
  QStringList entries;
  for (QAction* action : holder->actions()) {
    if (action->isSeparator())
      entries << separator;
    else if (auto* widgetAction = qobject_cast<QWidgetAction*>(action))
      entries << widgetAction->defaultWidget()->objectName();
    else if (!action->objectName().isEmpty())
      entries << action->objectName();
    else
      entries << action->text();
  }
  return entries;
}

TEST_F(FrmMainTest, MenusHoldTheirActionsInOrderWithoutAutomaticAccessKeys) {
  auto window = openWindow();
  QStringList titles;
  QList<QStringList> items;
  for (QAction* menu : window->menuBar()->actions()) {
    titles << menu->text();
    items << entriesOf(menu->menu(), QStringLiteral("-"));
  }
  EXPECT_EQ(titles, (QStringList{QString::fromUtf8("ファイル(&F)"), QString::fromUtf8("表示(&V)"),
                                 QString::fromUtf8("ツール(&T)"), QString::fromUtf8("ヘルプ(&H)")}));
  ASSERT_EQ(items.size(), 4);
  EXPECT_EQ(items[0], QStringList{"actClose"});
  EXPECT_EQ(items[1], (QStringList{"actViewFileList", "actViewEdit", "-", "actViewEditTools", "-",
                                   "actViewStayOnTop"}));
  EXPECT_EQ(items[2], (QStringList{"actChangeHistory", "-", "actOption"}));
  EXPECT_EQ(items[3], (QStringList{"actHelp", "-", "actAbout"}));
}

struct ExpectedToolBar {
  const char* name;
  QStringList entries;
};

TEST_F(FrmMainTest, ToolBarsHoldTheirButtonsAndShowImagesOnly) {
  auto window = openWindow();
  // The label of the filter box has no name: it is listed by its text.
  const ExpectedToolBar bars[] = {
      {"tbFileName", {"actFileListClear", "actFileListDel", "actFileListSwapOldNew", "|", "",
                      "cbFileListExtract", "actFileListExtract", "actFileListExtractEdit", "|",
                      "actFileListExecute"}},
      {"tbEdit", {"actEditClear", "|", "actEditCopyFromOldName", "|", "actEditPaste", "|",
                  "actEditUndo", "actEditRedo", "|", "actEditMacroRec", "actEditMacroExec"}},
      {"tbReplaceList", {"actReplaceListReload", "actReplaceListFileDelete", "|",
                         "actReplaceListClear", "actReplaceListLoad", "actReplaceListSave", "|",
                         "actReplaceListExecute"}},
      {"tbReplace", {"actReplaceExecute"}},
      {"tbFmt", {"actFmtClear", "|", "actFmtListEdit", "|", "actFmtExecute"}},
  };
  for (const ExpectedToolBar& expected : bars) {
    SCOPED_TRACE(expected.name);
    auto* bar = window->findChild<QToolBar*>(QString::fromLatin1(expected.name));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(entriesOf(bar, QStringLiteral("|")), expected.entries);
    EXPECT_EQ(bar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    EXPECT_FALSE(bar->isMovable());
  }
  auto* fileBar = window->findChild<QToolBar*>(QStringLiteral("tbFileName"));
  auto* label = qobject_cast<QLabel*>(
      static_cast<QWidgetAction*>(fileBar->actions()[4])->defaultWidget());
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), QString::fromUtf8(" 絞り込み: "));
  EXPECT_EQ(child(*window, "cbFileListExtract")->width(), 145);
}

TEST_F(FrmMainTest, FileListContextMenuHoldsDelete) {
  auto window = openWindow();
  auto* list = window->findChild<QTreeView*>(QStringLiteral("lvFileList"));
  EXPECT_EQ(list->contextMenuPolicy(), Qt::ActionsContextMenu);
  EXPECT_EQ(entriesOf(list, QStringLiteral("-")), QStringList{"actFileListDel"});
}

TEST_F(FrmMainTest, CtrlDigitsSwitchPagesExceptInTheEditTextWhereTheyJumpToMarks) {
  auto window = openWindow({"/d/a", "/d/b", "/d/c"});
  auto* pages = static_cast<QTabWidget*>(child(*window, "pcMain"));
  auto* list = child(*window, "lvFileList");
  list->setFocus();
  QTest::keyClick(list, Qt::Key_2, Qt::ControlModifier);
  ASSERT_EQ(pages->currentIndex(), 1);

  EditorWidget& edit = window->editText();
  edit.setFocus();
  edit.editor().MoveCaret(2, 0);
  edit.editor().toggleMark(1);
  edit.editor().MoveCaret(0, 0);
  QTest::keyClick(&edit, Qt::Key_1, Qt::ControlModifier);
  EXPECT_EQ(pages->currentIndex(), 1);
  EXPECT_EQ(edit.editor().caret().row, 2);

  // From a box of the tool pane the keys are the window's again.
  window->toolPane().setCurrentIndex(ToolPane::FormatPage);
  QLineEdit* format = window->toolPane().cbFmtLists->lineEdit();
  format->setFocus();
  QTest::keyClick(format, Qt::Key_1, Qt::ControlModifier);
  EXPECT_EQ(pages->currentIndex(), 0);

  QLineEdit* filter = static_cast<QComboBox*>(child(*window, "cbFileListExtract"))->lineEdit();
  filter->setFocus();
  QTest::keyClick(filter, Qt::Key_2, Qt::ControlModifier);
  EXPECT_EQ(pages->currentIndex(), 1);
}

TEST_F(FrmMainTest, ViewMenuFollowsThePageAndStayOnTopKeepsTheWindowADropTarget) {
  auto window = openWindow();
  QMenu* view = window->findChild<QMenu*>(QStringLiteral("mnuView"));
  ASSERT_NE(view, nullptr);
  window->action("actViewEdit")->trigger();
  emit view->aboutToShow();
  EXPECT_TRUE(window->action("actViewEdit")->isChecked());
  EXPECT_FALSE(window->action("actViewFileList")->isChecked());
  static_cast<QTabWidget*>(child(*window, "pcMain"))->setCurrentIndex(0);  // a click on the tab
  emit view->aboutToShow();
  EXPECT_TRUE(window->action("actViewFileList")->isChecked());
  EXPECT_FALSE(window->action("actViewEdit")->isChecked());
  EXPECT_FALSE(window->action("actViewStayOnTop")->isChecked());

  window->action("actViewStayOnTop")->trigger();
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(window->isVisible());
  dropUris(child(*window, "lvFileList"), "file:///d/a.txt\r\n");
  EXPECT_EQ(names(*window), (std::vector<std::string>{"a.txt"}));
  emit view->aboutToShow();
  EXPECT_TRUE(window->action("actViewStayOnTop")->isChecked());

  window->action("actViewStayOnTop")->trigger();
  EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  dropUris(child(*window, "lvFileList"), "file:///d/b.txt\r\n");
  EXPECT_EQ(names(*window), (std::vector<std::string>{"a.txt", "b.txt"}));
}

QToolButton* toolButton(FrmMain& window, const char* bar, const char* actionName) {
  auto* toolBar = window.findChild<QToolBar*>(QString::fromLatin1(bar));
  return qobject_cast<QToolButton*>(toolBar->widgetForAction(window.action(actionName)));
}

TEST_F(FrmMainTest, UndoButtonLeavesTheFocusAndActsOnlyOnTheEditText) {
  auto window = openWindow({"/d/a", "/d/b"});
  window->action("actViewEdit")->trigger();
  EditorWidget& edit = window->editText();
  edit.setFocus();
  QTest::keyClicks(&edit, "x");
  ASSERT_EQ(edit.editor().text(), "xa\r\nb\r\n");

  window->toolPane().setCurrentIndex(ToolPane::FormatPage);
  QLineEdit* format = window->toolPane().cbFmtLists->lineEdit();
  format->setFocus();
  QTest::keyClicks(format, "%F_NAME%");
  QToolButton* undo = toolButton(*window, "tbEdit", "actEditUndo");
  QTest::mouseClick(undo, Qt::LeftButton);
  EXPECT_EQ(edit.editor().text(), "xa\r\nb\r\n");
  EXPECT_EQ(format->text(), QStringLiteral("%F_NAME%"));
  EXPECT_TRUE(format->hasFocus());

  edit.setFocus();
  QTest::mouseClick(undo, Qt::LeftButton);
  EXPECT_EQ(edit.editor().text(), "a\r\nb\r\n");
  EXPECT_TRUE(edit.hasFocus());
}

TEST_F(FrmMainTest, PointerOnTheFirstFileListButtonShowsItsHintInTheStatusBar) {
  auto window = openWindow();
  auto* panel = window->statusBar()->findChild<QLabel*>();
  ASSERT_NE(panel, nullptr);
  QToolButton* first = toolButton(*window, "tbFileName", "actFileListClear");
  QTest::mouseMove(first);
  EXPECT_TRUE(QTest::qWaitFor([&] { return panel->text() != QStringLiteral(" "); }));
  EXPECT_EQ(panel->text(), QString::fromUtf8(" [ファイルリスト]のクリア"));

  // Leaving the button clears the hint: the panel keeps its one blank.
  QTest::mouseMove(window->editText().isVisible() ? static_cast<QWidget*>(&window->editText())
                                                  : child(*window, "lvFileList"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return panel->text() == QStringLiteral(" "); }));
}

bool showsTooltip(QWidget* button) {
  QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), button->mapToGlobal(QPoint(4, 4)));
  QApplication::sendEvent(button, &help);
  return QToolTip::isVisible();
}

TEST_F(FrmMainTest, OnlyTheFileListToolBarShowsTooltips) {
  auto window = openWindow();
  window->action("actViewEdit")->trigger();
  ASSERT_FALSE(QToolTip::isVisible());
  EXPECT_FALSE(showsTooltip(toolButton(*window, "tbEdit", "actEditMacroRec")));
  window->toolPane().setCurrentIndex(ToolPane::FormatPage);
  EXPECT_FALSE(showsTooltip(toolButton(*window, "tbFmt", "actFmtExecute")));
  window->action("actViewFileList")->trigger();
  EXPECT_TRUE(showsTooltip(toolButton(*window, "tbFileName", "actFileListClear")));
  EXPECT_EQ(QToolTip::text(), QString::fromUtf8("[ファイルリスト]のクリア"));
  QToolTip::hideText();
  EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
}

TEST(GeneralErrorText, AppendsAFullStopAfterALastCharacterThatSortsAfterIt) {
  const struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"cannot write Extract.lst", "cannot write Extract.lst."},
      {"ends with a stop.", "ends with a stop."},
      {"ends with a comma,", "ends with a comma,"},          // ',' sorts before '.'
      {"ends with a slash/", "ends with a slash/."},         // '/' sorts after it
      {"書けません", "書けません."},                          // a double-byte last character
      {"", ""},
  };
  for (const auto& each : cases)
    EXPECT_EQ(generalErrorText(QString::fromUtf8(each.message)), QString::fromUtf8(each.shown))
        << each.message;
}

// ---- the about box and help ----

class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened << url; }
};

TEST_F(FrmMainTest, AboutBoxShowsTheBuildVersionAndEscapeClosesIt) {
  auto window = openWindow();
  QString version;
  QString tip;
  bool escapeClosed = false;
  QTimer::singleShot(0, [&] {
    auto* about = qobject_cast<FrmAbout*>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), QString::fromUtf8("バージョン情報"));
    EXPECT_EQ(about->size(), QSize(389, 166));
    version = about->findChild<QLabel*>(QStringLiteral("lblVersion"))->text();
    tip = about->findChild<QLabel*>(QStringLiteral("lblProgramedby"))->toolTip();
    QTest::keyClick(about, Qt::Key_Escape);
    escapeClosed = !about->isVisible();
    if (!escapeClosed) about->reject();
  });
  window->action("actAbout")->trigger();
  const QString built = versionTextOf(QStringLiteral(NAMITRA_TEST_VERSION));
  ASSERT_FALSE(built.isEmpty());
  EXPECT_EQ(version, QStringLiteral("ver ") + built);
  EXPECT_TRUE(tip.endsWith(QString::fromUtf8("サポートページを開く")));
  EXPECT_TRUE(escapeClosed);
}

TEST(VersionText, FourNumbersFromTheBuildVersion) {
  EXPECT_EQ(versionTextOf(QStringLiteral("1.2.3.4")), QStringLiteral("1.2.3.4"));
  EXPECT_EQ(versionTextOf(QStringLiteral("2.5")), QStringLiteral("2.5.0.0"));
  EXPECT_EQ(versionTextOf(QString()), QString());
}

TEST(AboutBox, LinkOpensTheSupportAddressAndTheBoxStaysOpen) {
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
  FrmAbout about(QStringLiteral("https://example.invalid/namitra/"));
  about.show();
  auto* link = about.findChild<QLabel*>(QStringLiteral("lblProgramedby"));
  EXPECT_EQ(link->toolTip(), QString::fromUtf8("https://example.invalid/namitra/サポートページを開く"));
  QTest::mouseClick(link, Qt::LeftButton);
  QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
  EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.invalid/namitra/"))});
  EXPECT_TRUE(about.isVisible());
}

class HelpTest : public FrmMainTest {
 protected:
  std::unique_ptr<FrmMain> openWithHelp(const fs::path& help) {
    MainWindowSetup setup;
    setup.dataFolder = folder();
    setup.settingsFile = settingsFile();
    setup.codec = &m_codec;
    setup.helpFile = help;
    auto window = std::make_unique<FrmMain>(std::move(setup));
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return window;
  }
};

TEST_F(HelpTest, MissingManualIsReportedAndAPresentOneIsOpened) {
  const fs::path help = folder() / "namitra.html";
  auto window = openWithHelp(help);
  QString text;
  QString title;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    text = box->text();
    title = box->windowTitle();
    box->button(QMessageBox::Ok)->click();
  });
  window->action("actHelp")->trigger();
  EXPECT_EQ(text, QString::fromUtf8("ヘルプファイルが見つかりません"));
  EXPECT_EQ(title, QStringLiteral("Namitra!"));

  writeFile(help, "<html></html>");
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
  window->action("actHelp")->trigger();
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  ASSERT_EQ(catcher.opened.size(), 1);
  EXPECT_EQ(catcher.opened[0].toLocalFile().toStdString(), help.string());
}

// ---- screenshots ----

void save(QWidget* widget, const QString& folder, const char* name) {
  EXPECT_TRUE(widget->grab().save(folder + QLatin1Char('/') + QLatin1String(name) + ".png"));
}

TEST_F(FrmMainTest, Screenshots) {
  const QString folder = qEnvironmentVariable("NAMITRA_SCREENSHOT_DIR");
  if (folder.isEmpty()) GTEST_SKIP() << "NAMITRA_SCREENSHOT_DIR not set";
  auto window = openWindow({"/home/user/photos/IMG_0001.jpg", "/home/user/photos/IMG_0002.jpg",
                            "/home/user/photos/IMG_0003.jpg"});
  QTest::qWait(100);
  save(window.get(), folder, "main-file-list");
  window->action("actViewEdit")->trigger();
  window->toolPane().setCurrentIndex(ToolPane::FormatPage);
  QTest::qWait(100);
  save(window.get(), folder, "main-edit");
  window->action("actEditMacroRec")->trigger();  // the record button shows pressed
  QTest::qWait(50);
  save(window->findChild<QToolBar*>(QStringLiteral("tbEdit")), folder, "tool-bar-recording");
  window->action("actEditMacroRec")->trigger();
  window->toolPane().setCurrentIndex(ToolPane::ReplaceListPage);
  QTest::qWait(50);
  save(window.get(), folder, "main-edit-replace-list");
  window->toolPane().setCurrentIndex(ToolPane::ReplacePage);
  QTest::qWait(50);
  save(window.get(), folder, "main-edit-replace");

  const char* menuNames[] = {"menu-file", "menu-view", "menu-tools", "menu-help"};
  const QList<QAction*> menus = window->menuBar()->actions();
  for (int i = 0; i < menus.size() && i < 4; ++i) {
    QMenu* menu = menus[i]->menu();
    menu->popup(window->mapToGlobal(window->menuBar()->actionGeometry(menus[i]).bottomLeft()));
    QTest::qWait(100);
    save(menu, folder, menuNames[i]);
    menu->hide();
  }
  auto* list = window->findChild<QTreeView*>(QStringLiteral("lvFileList"));
  window->action("actViewFileList")->trigger();
  QMenu context;
  context.addActions(list->actions());
  context.popup(list->mapToGlobal(QPoint(40, 40)));
  QTest::qWait(100);
  save(&context, folder, "menu-file-list");
  context.hide();

  window->action("actFileListExtractEdit")->trigger();
  FrmOption& options = window->options();
  for (int page = 0; page < 3; ++page) {
    options.pages()->setCurrentIndex(page);
    QTest::qWait(100);
    save(&options, folder, ("options-" + std::to_string(page)).c_str());
  }
  options.close();

  FrmAbout about(QStringLiteral("https://example.invalid/namitra/"), window.get());
  about.show();
  QTest::qWait(100);
  save(&about, folder, "about");
}

}  // namespace
}  // namespace namitra::app

#include "main_window_test.moc"
