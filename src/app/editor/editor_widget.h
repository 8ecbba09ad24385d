// The editor control's widget: shows an `editor::TextEditor` and feeds it the user's input.
//
// The widget paints only the rows in view, on a fixed grid of the half-width cell of its font
// (a double-byte character takes two cells). Every Qt key press becomes a key-down message with
// its Windows virtual-key code followed by one character message per byte of the key's Shift-JIS
// text; an input-method commit becomes the model's input-method insertion. The model decides what
// each message does, so the keystroke recorder, which hooks those messages, sees exactly what the
// editor sees. The context menu's shortcuts (Ctrl+Z undo, Ctrl+A redo, Ctrl+0..9 mark jumps and
// so on) are claimed before the main window's shortcuts while the widget has the focus.
//
// The two instances of the program are made by `createEdit` (the edit text `eeEdit`) and
// `createMessage` (the read-only message log `eeMessage`), which differ only in their settings.
//
// For the keystroke recorder the widget is a `MacroControl`. A key that the widget does not claim
// goes to the window's shortcuts first and reaches `keyPressEvent` only when none took it, so the
// hook sees its key-down already at the shortcut override: the Shift+F1 that stops a recording
// is recorded like any other key. A replayed key-down goes the same way: the editor's own
// shortcuts, then (for a key the widget does not claim) the window's shortcuts, then the editor.
#pragma once

#include <QAbstractScrollArea>

#include <optional>
#include <tuple>

#include "app/editor/editor_settings.h"
#include "app/editor/qt_clipboard.h"
#include "editor/key_macro.h"
#include "editor/text_editor.h"

namespace namitra::app {

class EditorContextMenu;

class EditorWidget : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit EditorWidget(const EditorSettings& settings, QWidget* parent = nullptr);
  ~EditorWidget() override;

  // The edit text, named "eeEdit", and the message log, named "eeMessage".
  static EditorWidget* createEdit(QWidget* parent = nullptr);
  static EditorWidget* createMessage(QWidget* parent = nullptr);

  editor::TextEditor& editor() { return m_editor; }
  const editor::TextEditor& editor() const { return m_editor; }
  const EditorSettings& settings() const { return m_settings; }
  EditorContextMenu* contextMenu() const { return m_menu; }
  // The control a `KeyMacro` records from and plays into.
  editor::MacroControl& macroControl() { return m_macroControl; }

  int cellWidth() const { return m_cellWidth; }
  int rowHeight() const { return m_rowHeight; }
  // The top of the first text row in the viewport (below the ruler and the top margin).
  int textTop() const;
  // The text position under a point of the viewport.
  editor::TextPosition positionAt(QPoint point) const;
  // Where the caret is drawn, in viewport coordinates.
  QRect caretRect() const;

 signals:
  // After every change of the model (once per update bracket); `flags` are editor::ChangeFlag.
  void changed(unsigned flags);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void onModelChanged(unsigned flags);
  void updateViewSize();
  void updateScrollBars();
  bool claimsKey(const QKeyEvent& event) const;
  void offerUnclaimedKeyDown(const QKeyEvent& event);
  bool triggerWindowShortcut(const editor::InputMessage& keyDown);
  int columnX(int column) const;

  void paintRuler(QPainter& painter) const;
  void paintRow(QPainter& painter, int row, int y) const;
  void paintCharacter(QPainter& painter, std::string_view text, std::size_t at, QRect cell,
                      bool selected, bool bracket) const;
  void paintCaret(QPainter& painter) const;
  std::pair<int, int> selectedColumns(int row) const;

  EditorSettings m_settings;
  editor::TextEditor m_editor;
  editor::EditorMacroControl m_macroControl{m_editor};
  QtClipboard m_clipboard;
  EditorContextMenu* m_menu = nullptr;
  int m_cellWidth = 6;
  int m_rowHeight = 13;
  int m_ascent = 10;
  int m_wheelRemainder = 0;
  bool m_mouseSelecting = false;
  bool m_syncingScrollBars = false;
  QString m_preedit;
  // The key press whose key-down the hook saw at its shortcut override (key, modifiers, repeat),
  // so that `keyPressEvent` does not offer it twice.
  std::optional<std::tuple<int, int, bool>> m_offeredKey;
  bool m_replayingShortcut = false;
};

}  // namespace namitra::app
