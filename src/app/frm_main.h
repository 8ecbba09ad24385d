// The main window (FrmMain): the file list and the edit text on two tabs, the message log below
// a splitter, the status bar, and every command of the window as one action.
//
// The window runs the start-up steps when it is first shown (the settings file, the replacement
// table, the command-line paths) and the shutdown steps when it closes (the settings file and the
// replacement table are written; if that fails the user may still quit without saving). Each
// action's handler runs through runCommand, so an error escaping any command ends it with the
// general error dialog.
//
// The window owns the keystroke recorder of the edit text (`keyMacro`, no dialogs of its own).
// Its two commands act only while the edit page is showing; while recording, the caption ends
// with "[**Recording**]" and the record command is checked, which its tool-bar button shows as
// pressed.
#pragma once

#include "app/file_list_model.h"
#include "platform/rule_file.h"
#include "rename/rename_run.h"
#include "rename/file_access.h"

#include <QHash>
#include <QMainWindow>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QKeyEvent;
class QLabel;
class QTabWidget;
class QToolBar;
class QTreeView;

namespace namitra::platform {
class NameCodec;
}

namespace namitra::tools {
class SearchEditor;
}

namespace namitra::editor {
class KeyMacro;
}

namespace namitra::app {

class EditorWidget;
class HistoryComboBox;
class FrmHistory;
class FrmOption;
class MessageLog;
class ToolPane;

// Where the rule-file commands ask for a file: the file dialogs, or a stand-in in tests. Each
// returns the chosen path, or an empty one when the user cancelled.
struct RuleFileChooser {
  std::function<std::filesystem::path(const std::filesystem::path& folder)> open;
  std::function<std::filesystem::path(const std::filesystem::path& folder)> save;
};

// The file dialogs: "変換リスト(*.rl)" to open, "rl" to save, both starting in `folder` and
// adding the extension "rl" to a name typed without one.
RuleFileChooser ruleFileDialogs(QWidget* parent);

struct MainWindowSetup {
  std::filesystem::path dataFolder;       // home of the settings and list files
  std::filesystem::path settingsFile;     // the .ini named after the executable
  std::vector<std::string> commandLine;   // the arguments after the program name (native bytes)
  // Paths a file manager opened with the program: every one becomes a row, even a single one.
  std::vector<std::string> openedFiles;
  platform::NameCodec* codec = nullptr;   // the run's name codec (not owned)
  std::filesystem::path helpFile;         // the manual: the executable's path with ".html"
  rename::FileAccess* files = nullptr;    // where renames and undo go (not owned); null: the disk
};

class FrmMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit FrmMain(MainWindowSetup setup);
  ~FrmMain() override;

  QAction* action(const char* name) const;
  FileListModel& fileList() { return *m_model; }
  MessageLog& messageLog() { return *m_log; }
  FrmOption& options() { return *m_option; }
  FrmHistory& history() { return *m_history; }
  EditorWidget& editText() { return *m_eeEdit; }
  ToolPane& toolPane() { return *m_pcEdit; }
  // The keystroke recorder of the edit text (it shows no dialogs).
  editor::KeyMacro& keyMacro() { return *m_keyMacro; }
  void setRuleFileChooser(RuleFileChooser chooser) { m_ruleFiles = std::move(chooser); }

  // Appends one row per path, in order (native bytes, as dropped or given on the command line).
  void addPaths(const std::vector<std::string>& nativePaths);

  // Command handlers, one per action.
  void actFileListClearExecute();
  void actFileListDelExecute();
  void actFileListExtractExecute();
  void actFileListExtractEditExecute();
  void actViewFileListExecute();
  void actViewEditExecute();
  void actViewEditToolsExecute();
  void actViewStayOnTopExecute();
  void actCloseExecute();
  void actOptionExecute();
  void actChangeHistoryExecute();
  void actEditCopyFromOldNameExecute();
  void actEditClearExecute();
  void actEditPasteExecute();
  void actEditUndoExecute();
  void actEditRedoExecute();
  void actEditMacroRecExecute();
  void actEditMacroExecExecute();
  void actFileListSwapOldNewExecute();
  void actFileListExecuteExecute();
  // At start-up: a run that was cut off is finished, rolled back or left, as the user answers.
  void offerInterruptedRuns();
  void actAboutExecute();
  void actHelpExecute();
  // The tool pane (frm_main_tools.cpp).
  void actReplaceListReloadExecute();
  void actReplaceListFileDeleteExecute();
  void actReplaceListClearExecute();
  void actReplaceListLoadExecute();
  void actReplaceListSaveExecute();
  void actReplaceListExecuteExecute();
  void actReplaceExecuteExecute();
  void actFmtClearExecute();
  void actFmtListEditExecute();
  void actFmtExecuteExecute();

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createActions();
  void createMenus();
  QWidget* createFileListPage();
  QWidget* createEditPage();
  QWidget* createToolPane();
  QToolBar* createToolBar(const char* name, std::initializer_list<const char*> actionNames);
  void bindCommands();
  void bindToolCommands();
  void tsReplaceListShow();
  void cbFmtListsDropDown();
  void cbRegReplaceDropDown(HistoryComboBox* box, const char* fileName);
  void bind(const char* actionName, void (FrmMain::*handler)());

  void FormShow();
  void FormClose(QCloseEvent* event);
  void FormKeyUp(QObject* watched, const QKeyEvent& key);
  bool isQuietToolButton(const QObject* watched) const;
  void appendShortcutTextsToHints();
  void readFileNameCharTable();
  void readSettings();
  void writeSettings();
  void lvFileListChange();
  void tsFileListShow();
  void tsEditShow();
  void log(const std::optional<std::string>& line);
  void selectInEditText(int line, int length);
  void lvFileListColumnClick(int column);
  void cbFileListExtractDropDown();
  void mnuViewClick();
  bool editPageActive() const;
  void toggleMacroRecording();
  std::vector<std::string> loadFilterHistory();
  void showListEditor(int page);
  void saveNameCodes();
  // Runs one command through the general error dialog and keeps the name codes it assigned.
  void run(const std::function<void()>& command);

  MainWindowSetup m_setup;
  // The table the window holds after ValidFileNameChar.rld failed to read: while it is unchanged,
  // shutdown leaves the user's file alone rather than overwrite it with the built-in table.
  std::optional<std::vector<platform::Rule>> m_unreadFileNameCharTable;
  QHash<QString, QAction*> m_actions;
  FileListModel* m_model = nullptr;
  QTabWidget* m_pcMain = nullptr;
  ToolPane* m_pcEdit = nullptr;
  QTreeView* m_lvFileList = nullptr;
  HistoryComboBox* m_cbFileListExtract = nullptr;
  QLabel* m_lblLVDescription = nullptr;
  QLabel* m_lblEditDescription = nullptr;
  EditorWidget* m_eeEdit = nullptr;
  EditorWidget* m_eeMessage = nullptr;
  QLabel* m_statusPanel = nullptr;
  std::unique_ptr<MessageLog> m_log;
  std::unique_ptr<FrmOption> m_option;
  rename::SystemFileAccess m_files;
  rename::RunRecording m_recording;  // every run and undo writes its run record to the data folder
  rename::NativeName m_nativeNames;  // internal names to file-system bytes
  std::unique_ptr<FrmHistory> m_history;
  bool m_shown = false;
  bool m_historyShownBefore = false;
  std::unique_ptr<tools::SearchEditor> m_searchEditor;  // over the edit text
  std::unique_ptr<editor::KeyMacro> m_keyMacro;          // records from and plays into eeEdit
  // The caption says "[**Recording**]" and the record command is checked, from a start of
  // recording to the next use of the command on the edit page.
  bool m_recordingShown = false;
  RuleFileChooser m_ruleFiles;
};

}  // namespace namitra::app
