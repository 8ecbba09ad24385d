// Painting the editor model on a cell grid, and turning Qt events into its input.
#include "app/editor/editor_widget.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <limits>
#include <unordered_map>

#include "app/display_text.h"
#include "app/editor/editor_context_menu.h"
#include "app/editor/virtual_keys.h"
#include "editor/columns.h"
#include "sjis/char.h"

// Exported by QtGui and declared in QtTest's public header: offers a shortcut override to
// `receiver` and, when it does not take the key, runs the application's shortcut matching as for
// a real key press. A replayed key-down runs a window command through it.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* receiver, ulong timestamp, int key,
                                               Qt::KeyboardModifiers modifiers,
                                               const QString& text = QString(),
                                               bool autoRepeat = false, ushort count = 1);

namespace namitra::app {

namespace {

using editor::TextPosition;

const QColor kMarkGrey(160, 160, 160);
const QColor kUnderlineGrey(190, 190, 190);
const QColor kSelectionBackground(0, 0, 128);  // navy
const QColor kRulerBackground(192, 192, 192);  // silver
const QColor kBracketBlue(0, 0, 255);
constexpr int kWheelNotch = 120;
// The horizontal scroll range: file names stay far below it, and it grows with the caret.
constexpr int kScrollColumns = 512;
constexpr int kFullWidthBlank = 0x8140;

bool isClaimedShortcutKey(std::uint16_t key, bool shift) {
  if (key >= '0' && key <= '9') return true;
  return !shift && QByteArrayView("ZAXCVBK").contains(static_cast<char>(key));
}

bool isEditingKey(std::uint16_t key) {
  namespace vk = editor::vk;
  switch (key) {
    case vk::Back: case vk::Tab: case vk::Return: case vk::Delete: case vk::Left: case vk::Right:
    case vk::Up: case vk::Down: case vk::Home: case vk::End: case vk::Prior: case vk::Next:
      return true;
    default:
      return false;
  }
}

bool isTypingKey(std::uint16_t key) {
  return key == editor::vk::Space || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') ||
         (key >= 0xBA && key <= 0xC0) || (key >= 0xDB && key <= 0xDE);
}

// The keys the widget claims before the window's shortcuts, told from a key-down alone (a
// replayed one has no text): the context menu's shortcuts, the editing keys and typing keys.
bool claimsKeyDown(const editor::InputMessage& key) {
  if (key.altDown()) return false;
  if (key.ctrlDown()) return isClaimedShortcutKey(key.code, key.shiftDown());
  return isEditingKey(key.code) || isTypingKey(key.code);
}

std::tuple<int, int, bool> identityOf(const QKeyEvent& event) {
  return {event.key(), event.modifiers().toInt(), event.isAutoRepeat()};
}

// The Qt key of a virtual-key code: the key that the widget's key table maps to it, found by
// asking the table. Where two keys share a code (";" and ":"), the unshifted one of a US
// keyboard is taken.
std::optional<int> qtKeyOf(std::uint16_t virtualKey) {
  static const std::unordered_map<std::uint16_t, int> table = [] {
    std::unordered_map<std::uint16_t, int> keys;
    auto probe = [&](int key) {
      QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
      if (std::optional<std::uint16_t> code = virtualKeyOf(event)) keys.try_emplace(*code, key);
    };
    for (int key = Qt::Key_Escape; key <= Qt::Key_F35; ++key) probe(key);
    for (char unshifted : std::string_view(";=,-./`[\\]'")) probe(unshifted);
    for (int key = Qt::Key_Space; key <= Qt::Key_AsciiTilde; ++key) probe(key);
    return keys;
  }();
  auto found = table.find(virtualKey);
  if (found == table.end()) return std::nullopt;
  return found->second;
}

Qt::KeyboardModifiers modifiersOf(const editor::InputMessage& message) {
  Qt::KeyboardModifiers modifiers;
  if (message.shiftDown()) modifiers |= Qt::ShiftModifier;
  if (message.ctrlDown()) modifiers |= Qt::ControlModifier;
  if (message.altDown()) modifiers |= Qt::AltModifier;
  return modifiers;
}

// A character message with the modifier states of the key that typed it.
editor::InputMessage characterMessage(char byte, const QKeyEvent& event) {
  editor::InputMessage message = editor::InputMessage::character(static_cast<unsigned char>(byte));
  Qt::KeyboardModifiers modifiers = event.modifiers();
  message.shift = modifiers & Qt::ShiftModifier ? editor::kKeyDownState : 0;
  message.ctrl = modifiers & Qt::ControlModifier ? editor::kKeyDownState : 0;
  message.alt = modifiers & Qt::AltModifier ? editor::kKeyDownState : 0;
  return message;
}

}  // namespace

EditorWidget::EditorWidget(const EditorSettings& settings, QWidget* parent)
    : QAbstractScrollArea(parent), m_settings(settings) {
  QFontMetrics metrics(m_settings.font);
  m_cellWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
  m_rowHeight = std::max(1, metrics.lineSpacing());
  m_ascent = metrics.ascent();
  setFont(m_settings.font);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled, !m_settings.readOnly);
  viewport()->setCursor(Qt::IBeamCursor);
  if (!m_settings.border) setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(m_settings.horizontalScrollBar ? Qt::ScrollBarAlwaysOn
                                                              : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette palette = viewport()->palette();
  palette.setColor(QPalette::Base, m_settings.background);
  viewport()->setPalette(palette);
  viewport()->setAutoFillBackground(false);

  m_editor.setClipboard(&m_clipboard);
  m_editor.setReadOnly(m_settings.readOnly);
  m_editor.setChangeListener([this](unsigned flags) { onModelChanged(flags); });
  m_menu = new EditorContextMenu(this);
  m_macroControl.setWindowShortcuts([this](const editor::InputMessage& key) {
    return !claimsKeyDown(key) && triggerWindowShortcut(key);
  });
  updateViewSize();
}

EditorWidget::~EditorWidget() { m_editor.setChangeListener({}); }

EditorWidget* EditorWidget::createEdit(QWidget* parent) {
  auto* widget = new EditorWidget(EditorSettings::forEdit(), parent);
  widget->setObjectName(QStringLiteral("eeEdit"));
  return widget;
}

EditorWidget* EditorWidget::createMessage(QWidget* parent) {
  auto* widget = new EditorWidget(EditorSettings::forMessage(), parent);
  widget->setObjectName(QStringLiteral("eeMessage"));
  return widget;
}

// --- Geometry ---

int EditorWidget::textTop() const {
  return (m_settings.ruler ? m_rowHeight + 4 : 0) + m_settings.topMargin;
}

int EditorWidget::columnX(int column) const {
  return m_settings.leftMargin + (column - m_editor.leftColumn()) * m_cellWidth;
}

TextPosition EditorWidget::positionAt(QPoint point) const {
  int row = m_editor.topRow() + std::max(0, point.y() - textTop()) / m_rowHeight;
  int x = point.x() - m_settings.leftMargin + m_cellWidth / 2;
  int column = m_editor.leftColumn() + std::max(0, x) / m_cellWidth;
  return {row, column};
}

QRect EditorWidget::caretRect() const {
  TextPosition caret = m_editor.caret();
  int y = textTop() + (caret.row - m_editor.topRow()) * m_rowHeight;
  return {columnX(caret.column), y, 2, m_rowHeight};
}

void EditorWidget::updateViewSize() {
  int rows = (viewport()->height() - textTop()) / m_rowHeight;
  int columns = (viewport()->width() - m_settings.leftMargin) / m_cellWidth;
  m_editor.setViewSize(rows, columns);
  updateScrollBars();
}

void EditorWidget::updateScrollBars() {
  m_syncingScrollBars = true;
  verticalScrollBar()->setRange(0, m_editor.maxTopRow());
  verticalScrollBar()->setPageStep(m_editor.visibleRows());
  verticalScrollBar()->setValue(m_editor.topRow());
  int columns = std::max(kScrollColumns, m_editor.leftColumn() + m_editor.visibleColumns());
  horizontalScrollBar()->setRange(0, columns - m_editor.visibleColumns());
  horizontalScrollBar()->setPageStep(m_editor.visibleColumns());
  horizontalScrollBar()->setValue(m_editor.leftColumn());
  m_syncingScrollBars = false;
}

void EditorWidget::onModelChanged(unsigned flags) {
  updateScrollBars();
  viewport()->update();
  if (flags & editor::kCaretMoved) updateMicroFocus();
  emit changed(flags);
}

void EditorWidget::scrollContentsBy(int, int) {
  if (m_syncingScrollBars) return;
  m_editor.setTopRow(verticalScrollBar()->value());
  m_editor.setLeftColumn(horizontalScrollBar()->value());
}

void EditorWidget::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateViewSize();
}

// --- Keys and input method ---

// Keys the editor acts on are claimed before the main window's shortcuts see them: the context
// menu's shortcuts, the editing and movement keys, and typed characters.
bool EditorWidget::claimsKey(const QKeyEvent& event) const {
  std::optional<editor::InputMessage> message = keyDownMessageOf(event);
  if (message && !message->altDown()) {
    if (message->ctrlDown() && isClaimedShortcutKey(message->code, message->shiftDown()))
      return true;
    if (!message->ctrlDown() && isEditingKey(message->code)) return true;
  }
  bool plain = !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  return plain && !event.text().isEmpty() && event.text().at(0).isPrint();
}

bool EditorWidget::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto& key = *static_cast<QKeyEvent*>(event);
    if (claimsKey(key)) {
      event->accept();
      return true;
    }
    offerUnclaimedKeyDown(key);
  }
  return QAbstractScrollArea::event(event);
}

// A key the widget does not claim may be taken by a window shortcut and never reach
// `keyPressEvent`; the hook sees its key-down here, before any shortcut runs.
void EditorWidget::offerUnclaimedKeyDown(const QKeyEvent& event) {
  m_offeredKey.reset();
  if (m_replayingShortcut) return;
  std::optional<editor::InputMessage> message = keyDownMessageOf(event);
  if (!message) return;
  m_editor.offerToHook(*message);
  m_offeredKey = identityOf(event);
}

// The shortcut matching takes the replayed modifiers for the application's keyboard state; an
// unknown key, which matches nothing, puts the state as it was back afterwards.
bool EditorWidget::triggerWindowShortcut(const editor::InputMessage& keyDown) {
  std::optional<int> key = qtKeyOf(keyDown.code);
  if (!key) return false;
  QScopedValueRollback<bool> replaying(m_replayingShortcut, true);
  Qt::KeyboardModifiers saved = QGuiApplication::keyboardModifiers();
  QPointer<EditorWidget> self(this);
  bool taken = qt_sendShortcutOverrideEvent(this, 0, *key, modifiersOf(keyDown), QString(),
                                            keyDown.isRepeat());
  if (self) qt_sendShortcutOverrideEvent(this, 0, Qt::Key_unknown, saved);
  return taken;
}

void EditorWidget::keyPressEvent(QKeyEvent* event) {
  bool offered = m_offeredKey == identityOf(*event);
  m_offeredKey.reset();
  bool consumed = false;
  if (std::optional<editor::InputMessage> message = keyDownMessageOf(*event))
    consumed = offered ? m_editor.handleMessage(*message) : m_editor.sendMessage(*message);
  std::string bytes = characterBytesOf(*event);
  for (char byte : bytes) m_editor.postMessage(characterMessage(byte, *event));
  m_editor.processMessages();
  if (consumed || !bytes.empty() || claimsKey(*event)) {
    event->accept();
    return;
  }
  event->ignore();
}

void EditorWidget::keyReleaseEvent(QKeyEvent* event) {
  m_offeredKey.reset();
  QAbstractScrollArea::keyReleaseEvent(event);
}

void EditorWidget::inputMethodEvent(QInputMethodEvent* event) {
  if (!event->commitString().isEmpty())
    m_editor.commitInputMethodText(fromDisplayText(event->commitString()));
  m_preedit = event->preeditString();
  viewport()->update();
  event->accept();
}

QVariant EditorWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled:
      return !m_editor.ReadOnly();
    case Qt::ImCursorRectangle:
      return caretRect().translated(viewport()->pos());
    case Qt::ImFont:
      return m_settings.font;
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
      return 0;
    case Qt::ImSurroundingText:
    case Qt::ImCurrentSelection:
      return QString();
    default:
      return QAbstractScrollArea::inputMethodQuery(query);
  }
}

bool EditorWidget::focusNextPrevChild(bool) { return false; }  // Tab is a character here

void EditorWidget::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void EditorWidget::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  m_mouseSelecting = false;
  viewport()->update();
}

// --- Mouse ---

void EditorWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  bool extend = event->modifiers() & Qt::ShiftModifier;
  m_editor.moveCaretTo(positionAt(event->position().toPoint()), extend);
  m_mouseSelecting = true;
  event->accept();
}

void EditorWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!m_mouseSelecting || !(event->buttons() & Qt::LeftButton)) return;
  m_editor.moveCaretTo(positionAt(event->position().toPoint()), true);
  m_editor.ensureCaretVisible();
  event->accept();
}

void EditorWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) m_mouseSelecting = false;
  QAbstractScrollArea::mouseReleaseEvent(event);
}

void EditorWidget::wheelEvent(QWheelEvent* event) {
  if (!m_settings.wheelScrollsRows) {
    QAbstractScrollArea::wheelEvent(event);
    return;
  }
  // Whole notches only; the remainder waits for the next event.
  m_wheelRemainder += event->angleDelta().y();
  for (; m_wheelRemainder >= kWheelNotch; m_wheelRemainder -= kWheelNotch) m_editor.ScrollRows(-1);
  for (; m_wheelRemainder <= -kWheelNotch; m_wheelRemainder += kWheelNotch) m_editor.ScrollRows(1);
  event->accept();
}

void EditorWidget::contextMenuEvent(QContextMenuEvent* event) {
  m_menu->exec(event->globalPos());
  event->accept();
}

// --- Painting ---

void EditorWidget::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), m_settings.background);
  painter.setFont(m_settings.font);
  int last_row = m_editor.endOfText().row;
  for (int i = 0;; ++i) {
    int row = m_editor.topRow() + i;
    int y = textTop() + i * m_rowHeight;
    if (row > last_row || y >= viewport()->height()) break;
    paintRow(painter, row, y);
  }
  if (m_settings.ruler) paintRuler(painter);
  paintCaret(painter);
}

void EditorWidget::paintRuler(QPainter& painter) const {
  int height = m_rowHeight + 4;
  painter.fillRect(0, 0, viewport()->width(), height, kRulerBackground);
  painter.setPen(Qt::black);
  for (int column = m_editor.leftColumn(); columnX(column) < viewport()->width(); ++column) {
    int x = columnX(column);
    int tick = column % 10 == 0 ? height - 2 : column % 5 == 0 ? 5 : 3;
    painter.drawLine(x, height - 1 - tick, x, height - 1);
    if (column % 10 == 0 && column > 0)
      painter.drawText(x + 2, m_ascent + 1, QString::number(column));
  }
  painter.drawLine(0, height - 1, viewport()->width(), height - 1);  // the edge line
  int caret_x = columnX(m_editor.caret().column);
  painter.fillRect(caret_x, height - 6, m_cellWidth, 5, Qt::black);  // the caret's column
}

// The columns [from, to) of `row` inside the selection; to is INT_MAX when the line end is
// selected too. (-1, -1) when the row has no selected part.
std::pair<int, int> EditorWidget::selectedColumns(int row) const {
  if (!m_editor.hasSelection()) return {-1, -1};
  TextPosition start = m_editor.selectionStart();
  TextPosition end = m_editor.selectionEnd();
  if (row < start.row || row > end.row) return {-1, -1};
  if (m_editor.boxMode()) return m_editor.boxColumns();
  int from = row == start.row ? start.column : 0;
  int to = row == end.row ? end.column : std::numeric_limits<int>::max();
  return {from, to};
}

void EditorWidget::paintRow(QPainter& painter, int row, int y) const {
  bool real_row = row < m_editor.rowCount();
  std::string_view text = real_row ? std::string_view(m_editor.row(row).text) : "";
  auto [sel_from, sel_to] = selectedColumns(row);
  int width = viewport()->width();
  if (row == m_editor.caret().row && m_settings.caretRowUnderline && !m_editor.hasSelection()) {
    painter.setPen(kUnderlineGrey);
    painter.drawLine(0, y + m_rowHeight - 1, width, y + m_rowHeight - 1);
  }
  int column = 0;
  bool bracket = false;
  for (std::size_t at = 0; at < text.size(); at = sjis::nextCharPos(text, at)) {
    int char_width = editor::charWidth(text, at, column);
    int x = columnX(column);
    bool opens = text[at] == '[';
    if (opens) bracket = m_settings.bracketHighlight;
    if (x >= width) break;
    if (x + char_width * m_cellWidth > 0) {
      bool selected = column >= sel_from && column < sel_to;
      QRect cell(x, y, char_width * m_cellWidth, m_rowHeight);
      paintCharacter(painter, text, at, cell, selected, bracket);
    }
    if (text[at] == ']') bracket = false;
    column += char_width;
  }
  int end_x = columnX(column);
  bool line_end_selected = sel_to == std::numeric_limits<int>::max() && !m_editor.boxMode();
  if (real_row && line_end_selected && m_editor.row(row).end == editor::RowEnd::CrLf)
    painter.fillRect(end_x, y, m_cellWidth, m_rowHeight, kSelectionBackground);
  bool has_line_end = real_row && m_editor.row(row).end == editor::RowEnd::CrLf;
  if (has_line_end && m_settings.lineEndMark) {
    // A grey arrow down and to the left, like the Enter key.
    painter.setPen(line_end_selected ? QColor(Qt::white) : kMarkGrey);
    int mid = end_x + m_cellWidth / 2;
    int bottom = y + m_rowHeight - 3;
    painter.drawLine(mid + 2, y + 3, mid + 2, bottom);
    painter.drawLine(mid + 2, bottom, end_x + 1, bottom);
    painter.drawLine(end_x + 1, bottom, end_x + 3, bottom - 2);
    painter.drawLine(end_x + 1, bottom, end_x + 3, bottom + 2);
  }
  bool at_end_of_text = real_row ? row == m_editor.rowCount() - 1 && !has_line_end : true;
  if (at_end_of_text && m_settings.eofMark) {
    painter.setPen(kMarkGrey);
    painter.drawText(end_x + (real_row ? m_cellWidth / 2 : 0), y + m_ascent,
                     QStringLiteral("[EOF]"));
  }
}

void EditorWidget::paintCharacter(QPainter& painter, std::string_view text, std::size_t at,
                                  QRect cell, bool selected, bool bracket) const {
  if (selected) painter.fillRect(cell, kSelectionBackground);
  painter.setPen(selected ? QColor(Qt::white) : kMarkGrey);
  int bottom = cell.bottom() - 2;
  unsigned char byte = static_cast<unsigned char>(text[at]);
  if (byte == '\t') {
    if (!m_settings.blankMarks) return;
    int left = cell.left() + 1;  // a small chevron at the tab's start
    painter.drawLine(left, bottom - 6, left + 3, bottom - 3);
    painter.drawLine(left + 3, bottom - 3, left, bottom);
    return;
  }
  if (byte == ' ') {
    if (!m_settings.blankMarks) return;
    int left = cell.left() + 1;
    int right = cell.right() - 1;
    painter.drawLine(left, bottom, right, bottom);
    painter.drawLine(left, bottom, left, bottom - 2);
    painter.drawLine(right, bottom, right, bottom - 2);
    return;
  }
  if (sjis::charCodeAt(text, at) == kFullWidthBlank) {
    if (m_settings.blankMarks) painter.drawRect(cell.adjusted(2, 2, -3, -3));
    return;
  }
  painter.setPen(selected ? QColor(Qt::white) : bracket ? kBracketBlue : QColor(Qt::black));
  QString glyph = byte < 0x80 ? QString(QLatin1Char(static_cast<char>(byte)))
                              : toDisplayText(text.substr(at, sjis::charLength(text, at)));
  painter.drawText(cell.left(), cell.top() + m_ascent, glyph);
}

void EditorWidget::paintCaret(QPainter& painter) const {
  if (!hasFocus()) return;
  QRect caret = caretRect();
  if (caret.top() < textTop() || caret.top() >= viewport()->height()) return;
  painter.fillRect(caret, Qt::black);
  if (m_preedit.isEmpty()) return;
  QFontMetrics metrics(m_settings.font);
  QRect box(caret.left(), caret.top(), metrics.horizontalAdvance(m_preedit), m_rowHeight);
  painter.fillRect(box, Qt::white);
  painter.setPen(Qt::black);
  painter.drawText(box.left(), box.top() + m_ascent, m_preedit);
  painter.drawLine(box.left(), box.bottom(), box.right(), box.bottom());
}

}  // namespace namitra::app
