#include "app/frm_main.h"

#include "app/action_table.h"
#include "app/dialogs.h"
#include "app/editor/editor_widget.h"
#include "app/display_text.h"
#include "app/file_drop_filter.h"
#include "app/history_combo_box.h"
#include "app/frm_about.h"
#include "app/frm_history.h"
#include "app/frm_option.h"
#include "app/message_log.h"
#include "app/tool_pane.h"
#include "editor/key_macro.h"
#include "platform/file_system.h"
#include "platform/list_file.h"
#include "platform/name_codec.h"
#include "platform/program_settings.h"
#include "platform/rule_file.h"
#include "platform/stored_file_error.h"
#include "rename/dropped_paths.h"
#include "rename/interrupted_run.h"
#include "rename/messages.h"
#include "rename/name_round_trip.h"
#include "rename/rename_run.h"
#include "rename/recent_list.h"
#include "sjis/codec.h"
#include "tools/search_editor.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressDialog>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace namitra::app {
namespace {

const QString kMainTitle = QString::fromUtf8("お手軽名前変更ツール Namitra!");
constexpr int kEditPage = 1;
// A tool bar property: its buttons show their hints as tooltips too.
constexpr const char* kShowsTooltips = "showsTooltips";

QFont pixelFont(const char* family, int pixels) {
  QFont font(QString::fromLatin1(family));
  font.setPixelSize(pixels);
  return font;
}

// A large grey text over an empty pane, telling the user what to do first. It lets the mouse
// (and drops) through to the pane below.
QLabel* descriptionOver(QWidget* pane, const char* objectName, const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text), pane);
  label->setObjectName(QString::fromLatin1(objectName));
  label->setAlignment(Qt::AlignCenter);
  label->setFont(pixelFont("IPAPGothic", 16));
  label->setStyleSheet(QStringLiteral("color: grey; background: transparent;"));
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* layout = new QVBoxLayout(pane);
  layout->addWidget(label, 0, Qt::AlignCenter);
  return label;
}

// Centres a dialog on the main window, kept inside the screen the window is on (so that it can
// be reached even when the main window is minimised or partly off the screen).
void centreOn(QWidget* dialog, const QWidget* window) {
  QRect frame = dialog->frameGeometry();
  frame.moveCenter(window->frameGeometry().center());
  if (const QScreen* screen = window->screen()) {
    const QRect room = screen->availableGeometry();
    frame.moveLeft(std::clamp(frame.left(), room.left(),
                              std::max(room.left(), room.right() + 1 - frame.width())));
    frame.moveTop(std::clamp(frame.top(), room.top(),
                             std::max(room.top(), room.bottom() + 1 - frame.height())));
  }
  dialog->move(frame.topLeft());
}

std::vector<std::size_t> selectedRowIndices(const QTreeView* view) {
  std::vector<std::size_t> rows;
  for (const QItemSelectionRange& range : view->selectionModel()->selection())
    for (int row = range.top(); row <= range.bottom(); ++row)
      rows.push_back(static_cast<std::size_t>(row));
  return rows;
}

}  // namespace

FrmMain::FrmMain(MainWindowSetup setup) : m_setup(std::move(setup)) {
  setObjectName(QStringLiteral("FrmMain"));
  setWindowTitle(kMainTitle);
  setFont(pixelFont("IPAPGothic", 12));
  setWindowIcon(applicationIcon());
  resize(699, 499);

  m_model = new FileListModel(this);
  createActions();
  createMenus();

  m_pcMain = new QTabWidget;
  m_pcMain->setObjectName(QStringLiteral("pcMain"));
  m_pcMain->addTab(createFileListPage(), QString::fromUtf8("ファイルリスト[1]"));
  m_pcMain->addTab(createEditPage(), QString::fromUtf8("編集[2]"));

  m_eeMessage = EditorWidget::createMessage();
  m_log = std::make_unique<MessageLog>(m_eeMessage);

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->setHandleWidth(2);
  splitter->addWidget(m_pcMain);
  splitter->addWidget(m_eeMessage);
  splitter->setStretchFactor(0, 1);
  splitter->setSizes({400, 70});
  setCentralWidget(splitter);

  statusBar()->setObjectName(QStringLiteral("sbMain"));
  m_statusPanel = new QLabel(QStringLiteral(" "));
  statusBar()->addWidget(m_statusPanel, 1);

  m_option = std::make_unique<FrmOption>(m_setup.dataFolder);
  m_searchEditor = std::make_unique<tools::SearchEditor>(m_eeEdit->editor());
  m_keyMacro = std::make_unique<editor::KeyMacro>("keyMacro");
  m_keyMacro->setShowDialog(false);
  m_keyMacro->setControl(&m_eeEdit->macroControl());
  m_ruleFiles = ruleFileDialogs(this);
  m_nativeNames = m_setup.codec ? rename::nativeNamesOf(*m_setup.codec) : rename::nativeNamesAsTheyAre();
  if (!m_setup.files) m_setup.files = &m_files;
  m_history = std::make_unique<FrmHistory>(*m_setup.files, m_nativeNames);
  m_recording.dataFolder = m_setup.dataFolder;
  m_recording.origin = "window";
  m_history->setRecording(&m_recording);
  connect(m_option.get(), &FrmOption::closed, this, [this] { setEnabled(true); });
  connect(m_model, &FileListModel::rowsChanged, this, &FrmMain::lvFileListChange);
  bindCommands();
  lvFileListChange();
}

FrmMain::~FrmMain() { qApp->removeEventFilter(this); }

QAction* FrmMain::action(const char* name) const {
  return m_actions.value(QString::fromLatin1(name));
}

void FrmMain::createActions() {
  for (const ActionSpec& spec : mainActionTable()) {
    auto* action = new QAction(spec.caption, this);
    action->setObjectName(QString::fromLatin1(spec.name));
    action->setProperty("category", QString::fromLatin1(spec.category));
    action->setStatusTip(spec.hint);
    action->setToolTip(spec.hint.isEmpty() ? spec.caption : spec.hint);
    if (spec.shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(spec.shortcut)));
    if (spec.image >= 0) action->setIcon(toolBarImage(spec.image));
    addAction(action);
    m_actions.insert(action->objectName(), action);
  }
  for (const char* name : {"actViewFileList", "actViewEdit", "actViewStayOnTop", "actViewEditTools",
                           "actEditMacroRec"})
    action(name)->setCheckable(true);
  auto* tabs = new QActionGroup(this);
  tabs->addAction(action("actViewFileList"));
  tabs->addAction(action("actViewEdit"));
  action("actViewEditTools")->setChecked(true);
}

void FrmMain::createMenus() {
  menuBar()->addMenu(QString::fromUtf8("ファイル(&F)"))->addAction(action("actClose"));
  QMenu* view = menuBar()->addMenu(QString::fromUtf8("表示(&V)"));
  view->setObjectName(QStringLiteral("mnuView"));
  view->addAction(action("actViewFileList"));
  view->addAction(action("actViewEdit"));
  view->addSeparator();
  view->addAction(action("actViewEditTools"));
  view->addSeparator();
  view->addAction(action("actViewStayOnTop"));
  connect(view, &QMenu::aboutToShow, this, &FrmMain::mnuViewClick);
  QMenu* tool = menuBar()->addMenu(QString::fromUtf8("ツール(&T)"));
  tool->addAction(action("actChangeHistory"));
  tool->addSeparator();
  tool->addAction(action("actOption"));
  QMenu* help = menuBar()->addMenu(QString::fromUtf8("ヘルプ(&H)"));
  help->addAction(action("actHelp"));
  help->addSeparator();
  help->addAction(action("actAbout"));
}

QToolBar* FrmMain::createToolBar(const char* name, std::initializer_list<const char*> actionNames) {
  auto* bar = new QToolBar;
  bar->setObjectName(QString::fromLatin1(name));
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  bar->setIconSize(QSize(16, 16));
  for (const char* actionName : actionNames) {
    if (std::string_view(actionName) == "|")
      bar->addSeparator();
    else
      bar->addAction(action(actionName));
  }
  return bar;
}

QWidget* FrmMain::createFileListPage() {
  QToolBar* bar = createToolBar("tbFileName", {"actFileListClear", "actFileListDel",
                                               "actFileListSwapOldNew", "|"});
  bar->setProperty(kShowsTooltips, true);
  bar->addWidget(new QLabel(QString::fromUtf8(" 絞り込み: ")));
  m_cbFileListExtract = new HistoryComboBox;
  m_cbFileListExtract->setObjectName(QStringLiteral("cbFileListExtract"));
  m_cbFileListExtract->setFixedWidth(145);
  const QString filterHint = QString::fromUtf8(
      "入力文字列にマッチするファイルリストだけに絞り込みます(大/小文字も区別)");
  m_cbFileListExtract->setToolTip(filterHint);
  m_cbFileListExtract->setStatusTip(filterHint);
  bar->addWidget(m_cbFileListExtract);
  bar->addAction(action("actFileListExtract"));
  bar->addAction(action("actFileListExtractEdit"));
  bar->addSeparator();
  bar->addAction(action("actFileListExecute"));

  m_lvFileList = new QTreeView;
  m_lvFileList->setObjectName(QStringLiteral("lvFileList"));
  m_lvFileList->setModel(m_model);
  m_lvFileList->setRootIsDecorated(false);
  m_lvFileList->setUniformRowHeights(true);
  m_lvFileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_lvFileList->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_lvFileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_lvFileList->setContextMenuPolicy(Qt::ActionsContextMenu);
  m_lvFileList->addAction(action("actFileListDel"));
  m_lvFileList->setStyleSheet(QStringLiteral(
      "QTreeView::item { border-right: 1px solid #d8d8d8; border-bottom: 1px solid #d8d8d8; }"));
  QHeaderView* header = m_lvFileList->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(0, QHeaderView::Interactive);
  header->resizeSection(0, 200);
  header->setSectionResizeMode(1, QHeaderView::Stretch);
  header->setSectionResizeMode(2, QHeaderView::Stretch);
  header->setSectionsClickable(true);
  connect(header, &QHeaderView::sectionClicked, this, &FrmMain::lvFileListColumnClick);
  m_lblLVDescription = descriptionOver(m_lvFileList->viewport(), "lblLVDescription",
                                       "最初にこの画面にファイルをドラッグアンドドロップして登録して下さい");

  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tsFileList"));
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(m_lvFileList, 1);
  return page;
}

QWidget* FrmMain::createEditPage() {
  QToolBar* bar = createToolBar("tbEdit", {"actEditClear", "|", "actEditCopyFromOldName", "|",
                                           "actEditPaste", "|", "actEditUndo", "actEditRedo", "|",
                                           "actEditMacroRec", "actEditMacroExec"});
  m_eeEdit = EditorWidget::createEdit();
  m_lblEditDescription = descriptionOver(m_eeEdit->viewport(), "lblEditDescription",
                                         "ファイルリストに登録を行って下さい");

  auto* editor = new QWidget;
  editor->setObjectName(QStringLiteral("pnlEditor"));
  auto* editorLayout = new QVBoxLayout(editor);
  editorLayout->setContentsMargins(0, 0, 0, 0);
  editorLayout->setSpacing(0);
  editorLayout->addWidget(bar);
  editorLayout->addWidget(m_eeEdit, 1);

  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tsEdit"));
  auto* layout = new QHBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(editor, 1);
  layout->addWidget(createToolPane());
  return page;
}

QWidget* FrmMain::createToolPane() {
  m_pcEdit = new ToolPane(
      createToolBar("tbReplaceList", {"actReplaceListReload", "actReplaceListFileDelete", "|",
                                      "actReplaceListClear", "actReplaceListLoad",
                                      "actReplaceListSave", "|", "actReplaceListExecute"}),
      createToolBar("tbReplace", {"actReplaceExecute"}),
      createToolBar("tbFmt", {"actFmtClear", "|", "actFmtListEdit", "|", "actFmtExecute"}));
  return m_pcEdit;
}

void FrmMain::bind(const char* actionName, void (FrmMain::*handler)()) {
  connect(action(actionName), &QAction::triggered, this,
          [this, handler] { run([this, handler] { (this->*handler)(); }); });
}

void FrmMain::run(const std::function<void()>& command) {
  runCommand(this, [&] {
    command();
    saveNameCodes();
  });
}

void FrmMain::bindCommands() {
  bind("actFileListClear", &FrmMain::actFileListClearExecute);
  bind("actFileListDel", &FrmMain::actFileListDelExecute);
  bind("actFileListExtract", &FrmMain::actFileListExtractExecute);
  bind("actFileListExtractEdit", &FrmMain::actFileListExtractEditExecute);
  bind("actViewFileList", &FrmMain::actViewFileListExecute);
  bind("actViewEdit", &FrmMain::actViewEditExecute);
  bind("actViewEditTools", &FrmMain::actViewEditToolsExecute);
  bind("actViewStayOnTop", &FrmMain::actViewStayOnTopExecute);
  bind("actClose", &FrmMain::actCloseExecute);
  bind("actOption", &FrmMain::actOptionExecute);
  bind("actChangeHistory", &FrmMain::actChangeHistoryExecute);
  bind("actEditCopyFromOldName", &FrmMain::actEditCopyFromOldNameExecute);
  bind("actEditClear", &FrmMain::actEditClearExecute);
  bind("actEditPaste", &FrmMain::actEditPasteExecute);
  bind("actEditUndo", &FrmMain::actEditUndoExecute);
  bind("actEditRedo", &FrmMain::actEditRedoExecute);
  bind("actEditMacroRec", &FrmMain::actEditMacroRecExecute);
  bind("actEditMacroExec", &FrmMain::actEditMacroExecExecute);
  bind("actFileListSwapOldNew", &FrmMain::actFileListSwapOldNewExecute);
  bind("actFileListExecute", &FrmMain::actFileListExecuteExecute);
  bind("actAbout", &FrmMain::actAboutExecute);
  bind("actHelp", &FrmMain::actHelpExecute);
  connect(m_pcMain, &QTabWidget::currentChanged, this, [this](int page) {
    run([this, page] { page == 0 ? tsFileListShow() : tsEditShow(); });
  });
  connect(m_cbFileListExtract->lineEdit(), &QLineEdit::returnPressed, this,
          [this] { run([this] { actFileListExtractExecute(); }); });
  connect(m_cbFileListExtract, &HistoryComboBox::popupAboutToShow, this,
          [this] { run([this] { cbFileListExtractDropDown(); }); });
  bindToolCommands();
}

// ---- start-up and shutdown ----

void FrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_shown) return;
  m_shown = true;
  FormShow();
}

void FrmMain::FormShow() {
  auto* dropFilter = new FileDropFilter(
      this, [this](std::vector<std::string> paths) { run([&] { addPaths(paths); }); },
      this);
  qApp->installEventFilter(dropFilter);
  qApp->installEventFilter(this);
  setAcceptDrops(true);
  m_pcMain->setCurrentIndex(0);
  m_pcEdit->setCurrentIndex(0);
  appendShortcutTextsToHints();
  setWindowTitle(kMainTitle);
  // Each step on its own: a stored file that cannot be read must not keep the others from being
  // read (the settings would otherwise be overwritten with the defaults at shutdown).
  run([this] { readFileNameCharTable(); });
  run([this] {
    if (m_setup.commandLine.size() >= 2) addPaths(m_setup.commandLine);
    if (!m_setup.openedFiles.empty()) addPaths(m_setup.openedFiles);
  });
  run([this] { readSettings(); });
  run([this] { offerInterruptedRuns(); });
}

void FrmMain::readFileNameCharTable() {
  const auto table = m_setup.dataFolder / "ValidFileNameChar.rld";
  if (!platform::fileExists(table)) return;
  try {
    if (auto rules = platform::readRuleFile(table)) m_option->setFileNameCharTable(*rules);
  } catch (const platform::StoredFileError&) {
    m_unreadFileNameCharTable = m_option->fileNameCharTable();
    throw;
  }
}

void FrmMain::appendShortcutTextsToHints() {
  for (QAction* each : std::as_const(m_actions)) {
    if (each->shortcut().isEmpty()) continue;
    const QString hint = QStringLiteral("%1 (%2)").arg(
        each->statusTip(), each->shortcut().toString(QKeySequence::NativeText));
    each->setStatusTip(hint);
    each->setToolTip(hint);
  }
}

void FrmMain::readSettings() {
  const platform::ProgramSettings settings = platform::readProgramSettings(m_setup.settingsFile);
  m_option->setTabReplacement(settings.tabReplacement);
  action("actViewEditTools")->setChecked(settings.viewEditTools);
  m_pcEdit->setVisible(settings.viewEditTools);
  m_pcEdit->cbRegMatchCase->setChecked(settings.matchCase);
  m_pcEdit->cbRegWholeWord->setChecked(settings.wholeWord);
  m_pcEdit->cbRegRegexp->setChecked(settings.regexp);
  m_pcEdit->cbRegFuzzy->setChecked(settings.fuzzy);
}

void FrmMain::writeSettings() {
  platform::ProgramSettings settings;
  settings.tabReplacement = m_option->tabReplacement();
  settings.viewEditTools = action("actViewEditTools")->isChecked();
  settings.matchCase = m_pcEdit->cbRegMatchCase->isChecked();
  settings.wholeWord = m_pcEdit->cbRegWholeWord->isChecked();
  settings.regexp = m_pcEdit->cbRegRegexp->isChecked();
  settings.fuzzy = m_pcEdit->cbRegFuzzy->isChecked();
  platform::writeProgramSettings(m_setup.settingsFile, settings);
  if (m_unreadFileNameCharTable != m_option->fileNameCharTable())
    platform::writeRuleFile(m_setup.dataFolder / "ValidFileNameChar.rld", m_option->fileNameCharTable());
  saveNameCodes();
}

void FrmMain::closeEvent(QCloseEvent* event) { FormClose(event); }

void FrmMain::FormClose(QCloseEvent* event) {
  try {
    writeSettings();
  } catch (const std::exception& error) {
    const QString text = generalErrorText(QString::fromUtf8(error.what())) +
                         QString::fromUtf8("\n\n設定を保存せずに終了しますか?");
    if (ask(this, QMessageBox::Critical, kApplicationTitle, text,
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != Answer::Yes) {
      event->ignore();
      return;
    }
  }
  m_option->hide();
  m_history->hide();
  event->accept();
}

// ---- the file list ----

void FrmMain::addPaths(const std::vector<std::string>& nativePaths) {
  const std::string workingFolder = QDir::currentPath().toStdString();
  std::vector<rename::FileEntry> rows;
  rows.reserve(nativePaths.size());
  for (const std::string& native : nativePaths) {
    const std::string path = rename::normalizedDroppedPath(native, workingFolder);
    auto internal = m_setup.codec ? m_setup.codec->toInternal(path)
                                  : std::optional(sjis::fromUtf8(path));
    if (!internal) {
      m_log->AddMessage(QString::fromUtf8(">> 文字コードの割り当てが一杯のため登録できません: ") +
                        QString::fromUtf8(native.data(), qsizetype(native.size())));
      continue;
    }
    rows.push_back(rename::splitPath(*internal));
  }
  m_model->append(std::move(rows));
}

// A command may have given new codes to characters outside code page 932 (a dropped name, a
// typed filter): the table is written before anything else can refer to them.
void FrmMain::saveNameCodes() {
  if (m_setup.codec) m_setup.codec->save();
}

void FrmMain::lvFileListChange() {
  const bool empty = m_model->list().empty();
  m_lblLVDescription->setVisible(empty);
  m_lblEditDescription->setVisible(empty);
}

void FrmMain::lvFileListColumnClick(int column) {
  m_model->sortBy(static_cast<rename::FileListColumn>(column));
}

void FrmMain::actFileListClearExecute() {
  m_model->clear();
  m_log->AddMessage(QString::fromUtf8("■FileListのクリア"));
}

void FrmMain::actFileListDelExecute() {
  if (!m_lvFileList->hasFocus()) return;
  if (m_model->list().empty()) {
    m_log->AddMessage(QString::fromUtf8(">> FileListに何も登録されてないようです"));
    return;
  }
  m_model->removeRows(selectedRowIndices(m_lvFileList));
}

std::vector<std::string> FrmMain::loadFilterHistory() {
  if (auto lines = platform::readListFile(m_setup.dataFolder / "Extract.lst"))
    m_option->setFilterList(*lines);
  return m_option->filterList();
}

void FrmMain::actFileListExtractExecute() {
  if (m_model->list().empty()) {
    m_log->AddMessage(QString::fromUtf8(">> FileListになにも登録されていません"));
    return;
  }
  const std::string filter = fromDisplayText(m_cbFileListExtract->currentText());
  if (filter.empty()) {
    m_log->AddMessage(QString::fromUtf8(">> 絞り込み用文字列が空です"));
    return;
  }
  m_model->keepNamesContaining(filter);
  m_log->AddMessage(QString::fromUtf8("■絞り込み終了"));
  std::vector<std::string> history = m_option->filterList();
  rename::promoteInListFile(m_setup.dataFolder / "Extract.lst", history, filter);
  m_option->setFilterList(history);
}

void FrmMain::cbFileListExtractDropDown() {
  QStringList entries;
  for (const std::string& entry : loadFilterHistory()) entries.append(toDisplayText(entry));
  m_cbFileListExtract->setEntries(entries);
}

void FrmMain::actFileListExtractEditExecute() { showListEditor(FrmOption::FilterListPage); }

// The options dialog without waiting, on one of its list pages; the main window stays disabled
// until the dialog closes. Both lists are loaded, since OK writes both.
void FrmMain::showListEditor(int page) {
  m_option->loadLists();
  setEnabled(false);
  centreOn(m_option.get(), this);
  m_option->showListPage(static_cast<FrmOption::Page>(page));
}

// ---- the name round trip ----

void FrmMain::log(const std::optional<std::string>& line) {
  if (line) m_log->AddMessage(*line);
}

void FrmMain::tsEditShow() {
  log(rename::editPageShown(m_eeEdit->editor(), m_model->list()));
  if (m_pcEdit->currentIndex() == ToolPane::ReplaceListPage) tsReplaceListShow();
}

// Leaving the edit page cleans the names and, when the counts match, makes them the planned names.
void FrmMain::tsFileListShow() {
  m_model->changeNames([this](rename::FileList& list) {
    rename::ApplyNameCharRules(m_eeEdit->editor(), list, m_option->fileNameCharTable(),
                               m_option->tabReplacement());
  });
}

void FrmMain::actEditCopyFromOldNameExecute() {
  log(rename::actEditCopyFromOldName(m_eeEdit->editor(), m_model->list()));
}

void FrmMain::actEditClearExecute() { log(rename::actEditClear(m_eeEdit->editor())); }

// The tool-bar buttons take no focus, so these act on the edit text the user was typing in, and
// on nothing when the focus is elsewhere (a tool's input box).
void FrmMain::actEditPasteExecute() { rename::actEditPaste(m_eeEdit->editor(), m_eeEdit->hasFocus()); }

void FrmMain::actEditUndoExecute() {
  if (m_eeEdit->hasFocus()) m_eeEdit->editor().Undo();
}

void FrmMain::actEditRedoExecute() {
  if (m_eeEdit->hasFocus()) m_eeEdit->editor().Redo();
}

// ---- keystroke macros ----

bool FrmMain::editPageActive() const { return m_pcMain->currentIndex() == kEditPage; }

// Only on the edit page; elsewhere even a running recording goes on. The check mark is set here
// rather than left to the action's own toggling, so that a press that does nothing changes
// nothing.
void FrmMain::actEditMacroRecExecute() {
  if (editPageActive()) toggleMacroRecording();
  action("actEditMacroRec")->setChecked(m_recordingShown);
}

// A replayed stop key (the last record of a recording stopped from the keyboard) arrives while
// playing: it resets the caption and the check mark, and the stop does nothing.
void FrmMain::toggleMacroRecording() {
  const editor::MacroState state = m_keyMacro->state();
  if (state == editor::MacroState::Recording || state == editor::MacroState::Playing) {
    m_recordingShown = false;
    setWindowTitle(kMainTitle);
    m_keyMacro->StopRecording();
    return;
  }
  m_recordingShown = true;
  setWindowTitle(QStringLiteral("%1 [**Recording**]").arg(kMainTitle));
  m_keyMacro->StartRecording();
}

void FrmMain::actEditMacroExecExecute() {
  if (editPageActive()) m_keyMacro->Play();
}

void FrmMain::actFileListSwapOldNewExecute() {
  std::optional<std::string> line;
  m_model->changeNames([&](rename::FileList& list) { line = rename::actFileListSwapOldNew(list); });
  log(line);
}

// ---- the rename run ----

namespace {

rename::OverwriteAnswer overwriteAnswer(QWidget* parent, const std::string& text) {
  switch (ask(parent, QMessageBox::Warning, toDisplayText(rename::text::kTitleWarning),
              toDisplayText(text), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
              QMessageBox::Yes)) {
    case Answer::Yes: return rename::OverwriteAnswer::Yes;
    case Answer::No: return rename::OverwriteAnswer::No;
    default: return rename::OverwriteAnswer::Cancel;
  }
}

}  // namespace

void FrmMain::actFileListExecuteExecute() {
  QProgressDialog progress(QString::fromUtf8("名前を変更しています..."), QString(), 0, 100, this);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  progress.setAutoReset(false);
  rename::RunCallbacks callbacks;
  callbacks.recording = &m_recording;
  callbacks.askOverwrite = [this](const std::string& text) { return overwriteAnswer(this, text); };
  callbacks.progress = [&progress](std::size_t done, std::size_t total) {
    progress.setMaximum(static_cast<int>(total));
    progress.setValue(static_cast<int>(done));
  };
  const rename::RunReport report = rename::actFileListExecute(
      m_model->list(), m_history->changes(), *m_setup.files, m_nativeNames, callbacks);
  progress.reset();
  for (const std::string& line : report.log) m_log->AddMessage(line);
  if (report.outcome == rename::RunOutcome::DuplicatePlannedPath)
    ask(this, QMessageBox::Critical, toDisplayText(rename::text::kTitleError),
        toDisplayText(report.errorText), QMessageBox::Ok, QMessageBox::Ok);
  if (report.selectLine >= 0) selectInEditText(report.selectLine, report.selectLength);
}

namespace {

rename::InterruptedRunAnswer interruptedRunAnswer(QWidget* parent, std::size_t files) {
  switch (ask(parent, QMessageBox::Warning, toDisplayText(rename::text::kTitleWarning),
              toDisplayText(rename::interruptedRunQuestion(files)),
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case Answer::Yes: return rename::InterruptedRunAnswer::Finish;
    case Answer::No: return rename::InterruptedRunAnswer::Rollback;
    default: return rename::InterruptedRunAnswer::Leave;
  }
}

}  // namespace

void FrmMain::offerInterruptedRuns() {
  const rename::InternalName internal = [this](std::string_view native) -> std::optional<std::string> {
    if (!m_setup.codec) return std::string(native);
    return m_setup.codec->toInternal(native);
  };
  while (std::unique_ptr<rename::ClaimedRunRecord> claimed = rename::claimUnfinishedRun(m_setup.dataFolder)) {
    const rename::ParsedRunRecord& contents = claimed->contents();
    if (contents.state == rename::RecordState::Unreadable) {
      m_log->AddMessage(rename::text::kInterruptedRunUnreadable + claimed->path().string());
      return;
    }
    if (!rename::isWindowRun(contents)) {
      m_log->AddMessage(rename::leftToCliLine());
      return;
    }
    const rename::InterruptedRunAnswer answer =
        contents.state == rename::RecordState::CutOff ? rename::InterruptedRunAnswer::Rollback
                                                       : interruptedRunAnswer(this, contents.record.steps.size());
    for (const std::string& line :
         rename::settleInterruptedRun(*claimed, answer, m_history->changes(), *m_setup.files, internal))
      m_log->AddMessage(line);
    if (answer == rename::InterruptedRunAnswer::Leave) return;
  }
}

// Shows the edit page with the caret on `line` and the planned name there selected.
void FrmMain::selectInEditText(int line, int length) {
  m_pcMain->setCurrentIndex(1);
  m_eeEdit->setFocus();
  rename::selectPlannedName(m_eeEdit->editor(), line, length);
}

// ---- views ----

void FrmMain::actViewFileListExecute() { m_pcMain->setCurrentIndex(0); }
void FrmMain::actViewEditExecute() { m_pcMain->setCurrentIndex(1); }

void FrmMain::actViewEditToolsExecute() {
  m_pcEdit->setVisible(action("actViewEditTools")->isChecked());
}

void FrmMain::actViewStayOnTopExecute() {
  setWindowFlag(Qt::WindowStaysOnTopHint, action("actViewStayOnTop")->isChecked());
  setAcceptDrops(true);
  show();
}

void FrmMain::mnuViewClick() {
  action("actViewFileList")->setChecked(m_pcMain->currentIndex() == 0);
  action("actViewEdit")->setChecked(m_pcMain->currentIndex() == 1);
  action("actViewStayOnTop")->setChecked(windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void FrmMain::actCloseExecute() { close(); }

void FrmMain::actOptionExecute() {
  m_option->loadLists();
  centreOn(m_option.get(), this);
  m_option->exec();
  m_option->saveLists();
}

void FrmMain::actChangeHistoryExecute() {
  if (!m_historyShownBefore) {
    m_historyShownBefore = true;
    centreOn(m_history.get(), this);
  }
  m_history->show();
  m_history->raise();
  m_history->activateWindow();
}

// ---- window events ----

bool FrmMain::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    m_statusPanel->setText(QLatin1Char(' ') + static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::event(event);
}

// The window sees every event first: key releases (for Delete) and tooltips (only the file-list
// tool bar shows them; the others leave their hints to the status bar).
bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip) return isQuietToolButton(watched);
  if (event->type() == QEvent::KeyRelease) FormKeyUp(watched, *static_cast<QKeyEvent*>(event));
  return false;
}

// Delete released while the file list has the focus deletes the selected rows, once, however
// long the key was held. Key events go to the focus widget first (and then up to its parents):
// acting only on the event sent to the list itself deletes once.
void FrmMain::FormKeyUp(QObject* watched, const QKeyEvent& key) {
  if (key.key() != Qt::Key_Delete || key.isAutoRepeat() || watched != m_lvFileList) return;
  run([this] { actFileListDelExecute(); });
}

bool FrmMain::isQuietToolButton(const QObject* watched) const {
  const auto* button = qobject_cast<const QToolButton*>(watched);
  if (!button) return false;
  const auto* bar = qobject_cast<const QToolBar*>(button->parentWidget());
  return bar && bar->window() == this && !bar->property(kShowsTooltips).toBool();
}

}  // namespace namitra::app

namespace namitra::app {

// ---- help ----

namespace {

QUrl fileUrl(const std::filesystem::path& path) {
  return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path.string())));
}

}  // namespace

void FrmMain::actAboutExecute() {
  QString address = QStringLiteral(NAMITRA_SUPPORT_ADDRESS);
  if (address.isEmpty()) address = fileUrl(m_setup.helpFile).toString();
  FrmAbout about(address, this);
  about.exec();
}

void FrmMain::actHelpExecute() {
  if (!platform::fileExists(m_setup.helpFile)) {
    ask(this, QMessageBox::NoIcon, kApplicationTitle,
        QString::fromUtf8("ヘルプファイルが見つかりません"), QMessageBox::Ok, QMessageBox::Ok);
    return;
  }
  QDesktopServices::openUrl(fileUrl(m_setup.helpFile));
}

}  // namespace namitra::app
