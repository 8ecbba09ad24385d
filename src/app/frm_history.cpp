#include "app/frm_history.h"

#include "app/dialogs.h"
#include "app/display_text.h"
#include "rename/messages.h"
#include "rename/rename_run.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace namitra::app {
namespace {

QAction* makeAction(QWidget* owner, const char* name, const char* caption, const char* hint) {
  auto* action = new QAction(QString::fromUtf8(caption), owner);
  action->setObjectName(QString::fromLatin1(name));
  action->setStatusTip(QString::fromUtf8(hint));
  action->setToolTip(QString::fromUtf8(*hint ? hint : caption));
  return action;
}

}  // namespace

FrmHistory::FrmHistory(rename::FileAccess& files, rename::NativeName native, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      m_files(files),
      m_native(std::move(native)) {
  setObjectName(QStringLiteral("FrmHistory"));
  setWindowTitle(QString::fromUtf8("変更履歴"));
  QAction* undo = makeAction(this, "actUndo", "元に戻す", "チェックしたアイテムの変更を元に戻します");
  QAction* check = makeAction(this, "actCheckOnSelectItem", "チェックを入れる", "");
  QAction* close = makeAction(this, "actClose", "閉じる(&C)", "このウィンドウを閉じます");
  connect(undo, &QAction::triggered, this, [this] { runCommand(this, [this] { actUndoExecute(); }); });
  connect(check, &QAction::triggered, this, [this] { actCheckOnSelectItemExecute(); });
  connect(close, &QAction::triggered, this, [this] { actCloseExecute(); });

  auto* bar = new QToolBar;
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  bar->addAction(undo);
  bar->addSeparator();
  bar->addAction(close);

  m_list = new QTreeWidget;
  m_list->setObjectName(QStringLiteral("lvHistory"));
  m_list->setRootIsDecorated(false);
  m_list->setUniformRowHeights(true);
  m_list->setHeaderLabels({QString::fromUtf8("パス"), QString::fromUtf8("元のファイル名"),
                           QString::fromUtf8("変更後のファイル名")});
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->header()->setSectionsClickable(false);
  m_list->setColumnWidth(0, 200);
  m_list->setColumnWidth(1, 160);
  m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  m_list->addActions({check, separator, undo});

  m_status = new QLabel;
  auto* status = new QStatusBar;
  status->addWidget(m_status, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(m_list, 1);
  layout->addWidget(status);
  resize(560, 300);

  m_changes.setAppendListener([this](std::size_t index) { addRow(index); });
}

QAction* FrmHistory::action(const char* name) const {
  return findChild<QAction*>(QString::fromLatin1(name));
}

QString FrmHistory::statusText() const { return m_status->text(); }

void FrmHistory::addRow(std::size_t index) {
  const rename::HistoryRecord& record = m_changes.record(index);
  auto* item = new QTreeWidgetItem({toDisplayText(record.folder), toDisplayText(record.nameBefore),
                                    toDisplayText(record.nameAfter)});
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(0, record.checked ? Qt::Checked : Qt::Unchecked);
  m_list->addTopLevelItem(item);
}

void FrmHistory::rebuildRows() {
  m_list->clear();
  for (std::size_t i = 0; i < m_changes.size(); ++i) addRow(i);
}

// The check boxes the user clicked are the records' check flags.
void FrmHistory::takeCheckMarks() {
  for (int row = 0; row < m_list->topLevelItemCount(); ++row)
    m_changes.setChecked(static_cast<std::size_t>(row),
                         m_list->topLevelItem(row)->checkState(0) == Qt::Checked);
}

void FrmHistory::actCheckOnSelectItemExecute() {
  for (int row = m_list->topLevelItemCount() - 1; row >= 0; --row) {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (item->isSelected()) item->setCheckState(0, Qt::Checked);
  }
}

void FrmHistory::actUndoExecute() {
  if (ask(this, QMessageBox::Warning, toDisplayText(rename::text::kTitleWarning),
          toDisplayText(rename::text::kUndoQuestion), QMessageBox::Yes | QMessageBox::No,
          QMessageBox::No) != Answer::Yes)
    return;
  takeCheckMarks();
  const rename::UndoReport report = rename::undoCheckedRecords(m_changes, m_files, m_native, {}, m_recording);
  rebuildRows();
  m_status->setText(toDisplayText(report.statusText()));
}

void FrmHistory::actCloseExecute() { hide(); }

}  // namespace namitra::app
