// The context menu that every editor widget builds for itself.
//
// Items, in order: the "マーク設定" and "マークジャンプ" submenus with the digits 0 to 9, undo,
// redo, cut, copy, paste, box paste, delete, select all and the box selection mode. The shortcut
// of each item is shown beside it; the keys themselves reach the editor model as input messages
// (so the keystroke recorder sees them), which acts on them while the widget has the focus. The
// enabled and checked states are brought up to date each time the menu opens.
#pragma once

#include <QMenu>

#include <array>

namespace namitra::app {

class EditorWidget;

class EditorContextMenu : public QMenu {
  Q_OBJECT

 public:
  explicit EditorContextMenu(EditorWidget* editor);

  QAction* undoAction() const { return m_undo; }
  QAction* redoAction() const { return m_redo; }
  QAction* cutAction() const { return m_cut; }
  QAction* copyAction() const { return m_copy; }
  QAction* pasteAction() const { return m_paste; }
  QAction* boxPasteAction() const { return m_boxPaste; }
  QAction* deleteAction() const { return m_delete; }
  QAction* selectAllAction() const { return m_selectAll; }
  QAction* boxModeAction() const { return m_boxMode; }
  QAction* setMarkAction(int mark) const { return m_setMark[mark]; }
  QAction* jumpToMarkAction(int mark) const { return m_jumpToMark[mark]; }

  // Brings the enabled and checked states up to date (done when the menu opens).
  void updateStates();

 private:
  QAction* addItem(QMenu* menu, const QString& text, const QString& shortcut);

  EditorWidget* m_editor;
  std::array<QAction*, 10> m_setMark{};
  std::array<QAction*, 10> m_jumpToMark{};
  QAction* m_undo = nullptr;
  QAction* m_redo = nullptr;
  QAction* m_cut = nullptr;
  QAction* m_copy = nullptr;
  QAction* m_paste = nullptr;
  QAction* m_boxPaste = nullptr;
  QAction* m_delete = nullptr;
  QAction* m_selectAll = nullptr;
  QAction* m_boxMode = nullptr;
};

}  // namespace namitra::app
