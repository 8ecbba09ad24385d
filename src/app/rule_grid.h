// The rule grid of the batch-replace page (vleReplaceList): an editable two-column table of
// rules, one per row, whose row order is the rule order.
//
// Keys and values are edited in place. Insert adds a row above the current one, Down on the
// last row adds one below it, Ctrl+Delete deletes the current row, and dragging a row header
// moves the row. An empty grid shows one row to type into, and a row added for typing becomes a
// rule only once something is typed into it. A key containing "=" is refused with the error
// dialog. Rows keep the exact
// bytes they were loaded with until they are edited, so a rule file loaded and saved again is
// written back byte for byte.
#pragma once

#include "platform/rule_file.h"

#include <QTableWidget>

#include <vector>

namespace namitra::app {

class RuleGrid : public QTableWidget {
  Q_OBJECT
 public:
  explicit RuleGrid(QWidget* parent = nullptr);

  std::vector<platform::Rule> rules() const;
  void appendRules(const std::vector<platform::Rule>& rules);
  void clearRules();

  // The refusal of a key containing "=": true when `key` may be stored.
  bool acceptKey(const QString& key);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void insertRuleRow(int row);
  bool isUntypedRow(int row) const;
  void ensureTypingRow();
  void moveRule(int from, int to);
  void setRule(int row, const platform::Rule& rule);
  platform::Rule ruleAt(int row) const;
};

}  // namespace namitra::app
