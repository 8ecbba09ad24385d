#include "app/editor/editor_context_menu.h"

#include <QKeySequence>

#include "app/editor/editor_widget.h"

namespace namitra::app {

namespace {

QString nativeText(const QString& portable) {
  return QKeySequence(portable).toString(QKeySequence::NativeText);
}

}  // namespace

EditorContextMenu::EditorContextMenu(EditorWidget* editor) : QMenu(editor), m_editor(editor) {
  editor::TextEditor& model = editor->editor();
  QMenu* set_mark = addMenu(QStringLiteral("マーク設定"));
  QMenu* jump = addMenu(QStringLiteral("マークジャンプ"));
  for (int mark = 0; mark < 10; ++mark) {
    QString digit = QString::number(mark);
    m_setMark[mark] = addItem(set_mark, digit, QStringLiteral("Shift+Ctrl+") + digit);
    m_jumpToMark[mark] = addItem(jump, digit, QStringLiteral("Ctrl+") + digit);
    m_setMark[mark]->setCheckable(true);
    m_jumpToMark[mark]->setCheckable(true);
    connect(m_setMark[mark], &QAction::triggered, this, [&model, mark] { model.toggleMark(mark); });
    connect(m_jumpToMark[mark], &QAction::triggered, this, [&model, mark] { model.jumpToMark(mark); });
  }
  addSeparator();
  m_undo = addItem(this, QStringLiteral("元に戻す(&U)"), QStringLiteral("Ctrl+Z"));
  m_redo = addItem(this, QStringLiteral("やり直し(&R)"), QStringLiteral("Ctrl+A"));
  addSeparator();
  m_cut = addItem(this, QStringLiteral("切り取り(&T)"), QStringLiteral("Ctrl+X"));
  m_copy = addItem(this, QStringLiteral("コピー(&C)"), QStringLiteral("Ctrl+C"));
  m_paste = addItem(this, QStringLiteral("貼り付け(&P)"), QStringLiteral("Ctrl+V"));
  m_boxPaste = addItem(this, QStringLiteral("Box貼り付け(&B)"), QStringLiteral("Ctrl+B"));
  m_delete = addItem(this, QStringLiteral("削除(&D)"), QString());
  addSeparator();
  m_selectAll = addItem(this, QStringLiteral("すべて選択(&A)"), QString());
  addSeparator();
  m_boxMode = addItem(this, QStringLiteral("Box選択モード(&K)"), QStringLiteral("Ctrl+K"));
  m_boxMode->setCheckable(true);

  connect(m_undo, &QAction::triggered, this, [&model] { model.Undo(); });
  connect(m_redo, &QAction::triggered, this, [&model] { model.Redo(); });
  connect(m_cut, &QAction::triggered, this, [&model] { model.cutToClipboard(); });
  connect(m_copy, &QAction::triggered, this, [&model] { model.copyToClipboard(); });
  connect(m_paste, &QAction::triggered, this, [&model] { model.PasteFromClipboard(); });
  connect(m_boxPaste, &QAction::triggered, this, [&model] { model.pasteBoxFromClipboard(); });
  connect(m_delete, &QAction::triggered, this, [&model] {
    if (!model.ReadOnly()) model.deleteSelection();
  });
  connect(m_selectAll, &QAction::triggered, this, [&model] { model.selectAll(); });
  connect(m_boxMode, &QAction::triggered, this, [&model] { model.setBoxMode(!model.boxMode()); });
  connect(this, &QMenu::aboutToShow, this, &EditorContextMenu::updateStates);
}

QAction* EditorContextMenu::addItem(QMenu* menu, const QString& text, const QString& shortcut) {
  // The shortcut is shown after a tab, in the menu's shortcut column; it is not registered with
  // Qt, because the keys reach the editor as input messages.
  QString label = shortcut.isEmpty() ? text : text + QLatin1Char('\t') + nativeText(shortcut);
  return menu->addAction(label);
}

void EditorContextMenu::updateStates() {
  const editor::TextEditor& model = m_editor->editor();
  bool editable = !model.ReadOnly();
  bool selection = model.hasSelection();
  bool clipboard_text = model.clipboard().hasText();
  m_undo->setEnabled(model.CanUndo() && editable);
  m_redo->setEnabled(model.CanRedo() && editable);
  m_cut->setEnabled(selection && editable);
  m_copy->setEnabled(selection);
  m_paste->setEnabled(clipboard_text && editable);
  m_boxPaste->setEnabled(clipboard_text && editable);
  m_delete->setEnabled(selection && editable);
  m_selectAll->setEnabled(model.rowCount() > 0);
  m_boxMode->setChecked(model.boxMode());
  for (int mark = 0; mark < 10; ++mark) {
    bool carried = model.markRow(mark) >= 0;
    m_setMark[mark]->setChecked(carried);
    m_jumpToMark[mark]->setChecked(carried);
  }
}

}  // namespace namitra::app
