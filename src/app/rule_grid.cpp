#include "app/rule_grid.h"

#include "app/dialogs.h"
#include "app/display_text.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace namitra::app {
namespace {

// Each cell keeps the bytes it was loaded with beside the text it shows; a cell whose text is
// still the shown text of those bytes gives them back unchanged.
constexpr int kStoredBytes = Qt::UserRole;
// The key cell also remembers whether the line had an "=" at all.
constexpr int kHasSeparator = Qt::UserRole + 1;
// A row added for typing (the row an empty grid shows, Insert, Down on the last row) is not a
// rule until something is typed into it.
constexpr int kTypingRow = Qt::UserRole + 2;

QTableWidgetItem* cellFor(const std::string& bytes) {
  auto* item = new QTableWidgetItem(toDisplayText(bytes));
  item->setData(kStoredBytes, QByteArray::fromStdString(bytes));
  return item;
}

std::string bytesOf(const QTableWidgetItem* item) {
  if (!item) return {};
  const QByteArray stored = item->data(kStoredBytes).toByteArray();
  if (toDisplayText(stored.toStdString()) == item->text()) return stored.toStdString();
  return fromDisplayText(item->text());
}

// Refuses a key with "=" when the edit is committed; the cell keeps its old text.
class KeyDelegate : public QStyledItemDelegate {
 public:
  explicit KeyDelegate(RuleGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (index.column() == 0 && line && !m_grid->acceptKey(line->text())) return;
    QStyledItemDelegate::setModelData(editor, model, index);
  }

 private:
  RuleGrid* m_grid;
};

}  // namespace

RuleGrid::RuleGrid(QWidget* parent) : QTableWidget(0, 2, parent) {
  setHorizontalHeaderLabels({QString::fromUtf8("元の文字(列)"), QString::fromUtf8("置換文字(列)")});
  horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  verticalHeader()->setSectionsMovable(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setItemDelegate(new KeyDelegate(this));
  connect(verticalHeader(), &QHeaderView::sectionMoved, this,
          [this](int, int from, int to) { moveRule(from, to); });
  ensureTypingRow();
}

bool RuleGrid::acceptKey(const QString& key) {
  if (!key.contains(QLatin1Char('='))) return true;
  showGeneralError(this, QString::fromUtf8("キーは等号記号（“=”）を含めません。"));
  return false;
}

std::vector<platform::Rule> RuleGrid::rules() const {
  std::vector<platform::Rule> rules;
  rules.reserve(rowCount());
  for (int row = 0; row < rowCount(); ++row)
    if (!isUntypedRow(row)) rules.push_back(ruleAt(row));
  return rules;
}

bool RuleGrid::isUntypedRow(int row) const {
  const QTableWidgetItem* key = item(row, 0);
  const QTableWidgetItem* value = item(row, 1);
  return key && key->data(kTypingRow).toBool() && key->text().isEmpty() &&
         (!value || value->text().isEmpty());
}

void RuleGrid::ensureTypingRow() {
  if (rowCount() == 0) insertRuleRow(0);
}

platform::Rule RuleGrid::ruleAt(int row) const {
  const QTableWidgetItem* key = item(row, 0);
  platform::Rule rule;
  rule.key = bytesOf(key);
  rule.value = bytesOf(item(row, 1));
  // A line without "=" stays one until its key is given.
  rule.hasSeparator = !rule.key.empty() || !key || key->data(kHasSeparator).toBool();
  return rule;
}

void RuleGrid::setRule(int row, const platform::Rule& rule) {
  QTableWidgetItem* key = cellFor(rule.key);
  key->setData(kHasSeparator, rule.hasSeparator);
  setItem(row, 0, key);
  setItem(row, 1, cellFor(rule.value));
}

void RuleGrid::appendRules(const std::vector<platform::Rule>& rules) {
  if (rules.empty()) return;
  setUpdatesEnabled(false);
  if (rowCount() == 1 && isUntypedRow(0)) setRowCount(0);
  int row = rowCount();
  setRowCount(row + static_cast<int>(rules.size()));
  for (const platform::Rule& rule : rules) setRule(row++, rule);
  setUpdatesEnabled(true);
}

void RuleGrid::clearRules() {
  setRowCount(0);
  ensureTypingRow();
}

void RuleGrid::insertRuleRow(int row) {
  insertRow(row);
  setRule(row, platform::Rule{});
  item(row, 0)->setData(kTypingRow, true);
  setCurrentCell(row, currentColumn() < 0 ? 0 : currentColumn());
}

void RuleGrid::moveRule(int from, int to) {
  // The header only shows the move; put it back and move the rule itself, so that row order
  // and rule order stay one.
  QHeaderView* header = verticalHeader();
  header->blockSignals(true);
  header->moveSection(to, from);
  header->blockSignals(false);
  const bool untyped = isUntypedRow(from);
  const platform::Rule moved = ruleAt(from);
  const int column = currentColumn() < 0 ? 0 : currentColumn();
  removeRow(from);
  insertRow(to);
  setRule(to, moved);
  item(to, 0)->setData(kTypingRow, untyped);
  setCurrentCell(to, column);
}

void RuleGrid::keyPressEvent(QKeyEvent* event) {
  const int row = currentRow();
  if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
    insertRuleRow(row < 0 ? 0 : row);
    return;
  }
  if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier &&
      row == rowCount() - 1 && !isUntypedRow(row)) {
    insertRuleRow(rowCount());
    return;
  }
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
    if (row >= 0) removeRow(row);
    ensureTypingRow();
    return;
  }
  QTableWidget::keyPressEvent(event);
}

}  // namespace namitra::app
