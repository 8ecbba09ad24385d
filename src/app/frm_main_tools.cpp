// The commands of the edit tool pane: batch replace lists, search and replace, and formats.
#include "app/frm_main.h"

#include "app/dialogs.h"
#include "app/display_text.h"
#include "app/editor/editor_widget.h"
#include "app/frm_option.h"
#include "app/history_combo_box.h"
#include "app/message_log.h"
#include "app/number_box.h"
#include "app/rule_grid.h"
#include "app/tool_pane.h"
#include "platform/file_system.h"
#include "platform/list_file.h"
#include "platform/rule_file.h"
#include "platform/stored_file_error.h"
#include "platform/trash.h"
#include "rename/recent_list.h"
#include "tools/format_tool.h"
#include "tools/replace_list.h"
#include "tools/search_replace.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QToolBar>

#include <cerrno>

namespace namitra::app {
namespace {

// List entries keep the rule file's name as the directory has it (native bytes).
constexpr int kNativeName = Qt::UserRole;

std::filesystem::path chosenPath(const QString& chosen) {
  if (chosen.isEmpty()) return {};
  return std::filesystem::path(QFile::encodeName(chosen).toStdString());
}

std::filesystem::path runRuleFileDialog(QWidget* parent, const std::filesystem::path& folder,
                                        QFileDialog::AcceptMode mode, const char* filter) {
  QFileDialog dialog(parent, QString(), QFile::decodeName(QByteArray::fromStdString(folder.string())),
                     QString::fromUtf8(filter));
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                      : QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("rl"));
  dialog.setOption(QFileDialog::DontConfirmOverwrite);  // Save overwrites without a question
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return chosenPath(dialog.selectedFiles().first());
}

QStringList displayEntries(const std::vector<std::string>& entries) {
  QStringList shown;
  shown.reserve(static_cast<qsizetype>(entries.size()));
  for (const std::string& entry : entries) shown.append(toDisplayText(entry));
  return shown;
}

std::vector<std::string> internalEntries(const QComboBox* box) {
  std::vector<std::string> entries;
  entries.reserve(box->count());
  for (int i = 0; i < box->count(); ++i) entries.push_back(fromDisplayText(box->itemText(i)));
  return entries;
}

}  // namespace

RuleFileChooser ruleFileDialogs(QWidget* parent) {
  return {
      [parent](const std::filesystem::path& folder) {
        return runRuleFileDialog(parent, folder, QFileDialog::AcceptOpen, "変換リスト(*.rl)");
      },
      [parent](const std::filesystem::path& folder) {
        return runRuleFileDialog(parent, folder, QFileDialog::AcceptSave, "rl (*.rl)");
      },
  };
}

void FrmMain::bindToolCommands() {
  bind("actReplaceListReload", &FrmMain::actReplaceListReloadExecute);
  bind("actReplaceListFileDelete", &FrmMain::actReplaceListFileDeleteExecute);
  bind("actReplaceListClear", &FrmMain::actReplaceListClearExecute);
  bind("actReplaceListLoad", &FrmMain::actReplaceListLoadExecute);
  bind("actReplaceListSave", &FrmMain::actReplaceListSaveExecute);
  bind("actReplaceListExecute", &FrmMain::actReplaceListExecuteExecute);
  bind("actReplaceExecute", &FrmMain::actReplaceExecuteExecute);
  bind("actFmtClear", &FrmMain::actFmtClearExecute);
  bind("actFmtListEdit", &FrmMain::actFmtListEditExecute);
  bind("actFmtExecute", &FrmMain::actFmtExecuteExecute);
  connect(m_pcEdit, &QTabWidget::currentChanged, this, [this](int page) {
    if (page == ToolPane::ReplaceListPage) run([this] { tsReplaceListShow(); });
  });
  connect(m_pcEdit->cbFmtLists, &HistoryComboBox::popupAboutToShow, this,
          [this] { run([this] { cbFmtListsDropDown(); }); });
  connect(m_pcEdit->cbRegReplaceSrc, &HistoryComboBox::popupAboutToShow, this, [this] {
    run([this] { cbRegReplaceDropDown(m_pcEdit->cbRegReplaceSrc, tools::kSearchHistoryFileName); });
  });
  connect(m_pcEdit->cbRegReplaceDst, &HistoryComboBox::popupAboutToShow, this, [this] {
    run([this] {
      cbRegReplaceDropDown(m_pcEdit->cbRegReplaceDst, tools::kReplacementHistoryFileName);
    });
  });
}

// ---- batch replace lists ----

void FrmMain::tsReplaceListShow() { actReplaceListReloadExecute(); }

void FrmMain::actReplaceListReloadExecute() {
  QListWidget* list = m_pcEdit->clbReplaceListFileList;
  list->clear();
  for (const std::string& name : tools::listRuleFiles(m_setup.dataFolder)) {
    auto* item = new QListWidgetItem(QFile::decodeName(QByteArray::fromStdString(name)), list);
    item->setData(kNativeName, QByteArray::fromStdString(name));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
}

void FrmMain::actReplaceListFileDeleteExecute() {
  const QListWidgetItem* item = m_pcEdit->clbReplaceListFileList->currentItem();
  if (!item || !item->isSelected()) return;
  const auto path = m_setup.dataFolder / item->data(kNativeName).toByteArray().toStdString();
  if (!platform::fileExists(path)) return;
  if (ask(this, QMessageBox::Warning, QString::fromUtf8("警告"), QString::fromUtf8("削除しますか?"),
          QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != Answer::Yes)
    return;
  // Into the desktop's trash, where the user can get it back; a failure is not reported, and
  // the file then stays listed after the reload.
  platform::moveToTrash(path);
  m_log->AddMessage(QString::fromUtf8("■指定された一括置換ファイルを削除しました"));
  actReplaceListReloadExecute();
}

void FrmMain::actReplaceListClearExecute() { m_pcEdit->vleReplaceList->clearRules(); }

void FrmMain::actReplaceListLoadExecute() {
  const std::filesystem::path path = m_ruleFiles.open(m_setup.dataFolder);
  if (path.empty()) return;
  auto rules = platform::readRuleFile(path);
  if (!rules) throw platform::StoredFileError(path, platform::StoredFileOperation::Read, ENOENT);
  m_pcEdit->vleReplaceList->appendRules(*rules);
}

void FrmMain::actReplaceListSaveExecute() {
  const std::filesystem::path path = m_ruleFiles.save(m_setup.dataFolder);
  if (path.empty()) return;
  platform::writeRuleFile(path, m_pcEdit->vleReplaceList->rules());
}

void FrmMain::actReplaceListExecuteExecute() {
  std::vector<tools::ListedRuleFile> files;
  const QListWidget* list = m_pcEdit->clbReplaceListFileList;
  for (int row = 0; row < list->count(); ++row) {
    const QListWidgetItem* item = list->item(row);
    files.push_back({item->data(kNativeName).toByteArray().toStdString(),
                     item->checkState() == Qt::Checked});
  }
  tools::applyReplaceLists(m_eeEdit->editor(), m_pcEdit->vleReplaceList->rules(), files,
                           m_setup.dataFolder,
                           [this](const std::string& message) { m_log->AddMessage(message); });
}

// ---- search and replace ----

void FrmMain::cbRegReplaceDropDown(HistoryComboBox* box, const char* fileName) {
  if (auto entries = platform::readListFile(m_setup.dataFolder / fileName))
    box->setEntries(displayEntries(*entries));
}

void FrmMain::actReplaceExecuteExecute() {
  const std::string search = fromDisplayText(m_pcEdit->cbRegReplaceSrc->currentText());
  if (search.empty()) {
    ask(this, QMessageBox::NoIcon, kApplicationTitle,
        QString::fromUtf8("検索文字列が設定されていません"), QMessageBox::Ok, QMessageBox::Ok);
    return;
  }
  const std::string replacement = fromDisplayText(m_pcEdit->cbRegReplaceDst->currentText());
  std::vector<std::string> searches = internalEntries(m_pcEdit->cbRegReplaceSrc);
  std::vector<std::string> replacements = internalEntries(m_pcEdit->cbRegReplaceDst);
  const tools::ReplaceCheckBoxes boxes{
      m_pcEdit->cbRegMatchCase->isChecked(), m_pcEdit->cbRegWholeWord->isChecked(),
      m_pcEdit->cbRegRegexp->isChecked(), m_pcEdit->cbRegFuzzy->isChecked()};
  // The drop-down lists follow the history files even when the pattern turns out malformed.
  struct ShowHistories {
    FrmMain* window;
    std::vector<std::string>& searches;
    std::vector<std::string>& replacements;
    ~ShowHistories() {
      window->m_pcEdit->cbRegReplaceSrc->setEntries(displayEntries(searches));
      window->m_pcEdit->cbRegReplaceDst->setEntries(displayEntries(replacements));
    }
  } showHistories{this, searches, replacements};
  tools::runSearchAndReplace(*m_searchEditor, search, replacement, boxes, m_setup.dataFolder,
                             searches, replacements);
}

// ---- formats ----

void FrmMain::cbFmtListsDropDown() {
  if (auto entries = platform::readListFile(m_setup.dataFolder / tools::kFormatHistoryFileName))
    m_option->setFormatList(*entries);
  m_pcEdit->cbFmtLists->setEntries(displayEntries(m_option->formatList()));
}

void FrmMain::actFmtClearExecute() { m_pcEdit->cbFmtLists->clearEditText(); }

void FrmMain::actFmtListEditExecute() { showListEditor(FrmOption::FormatListPage); }

void FrmMain::actFmtExecuteExecute() {
  const std::string format = fromDisplayText(m_pcEdit->cbFmtLists->currentText());
  const tools::FormatOutcome outcome = tools::applyFormat(
      m_eeEdit->editor(), format,
      {m_pcEdit->sedtNLStartValue->value(), static_cast<int>(m_pcEdit->sedtNLDigit->value())});
  m_log->AddMessage(outcome.message);
  if (!outcome.applied) return;
  std::vector<std::string> history = m_option->formatList();
  rename::promoteInListFile(m_setup.dataFolder / tools::kFormatHistoryFileName, history, format);
  m_option->setFormatList(history);
}

}  // namespace namitra::app
