#include "app/frm_option.h"

#include "app/dialogs.h"
#include "app/display_text.h"
#include "platform/list_file.h"

#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace namitra::app {
namespace {

const QString kGridTip = QString::fromUtf8(
    "・文字の変換は、[編集]タブから[ファイルリスト]タブに移った際に自動的に行われます。");

QFont fixedFont() {
  QFont font(QStringLiteral("IPAGothic"));
  font.setPixelSize(12);
  return font;
}

QTableWidget* makeCharGrid(QWidget* parent) {
  auto* grid = new QTableWidget(0, 2, parent);
  grid->setHorizontalHeaderLabels({QString::fromUtf8("使用不可文字"), QString::fromUtf8("変換文字")});
  grid->setColumnWidth(0, 80);
  grid->setColumnWidth(1, 91);
  grid->setFont(fixedFont());
  grid->verticalHeader()->setVisible(false);
  grid->verticalHeader()->setMinimumSectionSize(16);
  grid->verticalHeader()->setDefaultSectionSize(16);
  // A header one row high leaves room for the nine built-in rows in the grid's 161 pixels.
  grid->horizontalHeader()->setFixedHeight(15);
  grid->setToolTip(kGridTip);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  return grid;
}

// A key cell the user cannot change; the replacement beside it stays editable.
QTableWidgetItem* keyItem(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

std::string cellText(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item ? fromDisplayText(item->text()) : std::string();
}

QPlainTextEdit* makeListText(QWidget* parent) {
  auto* text = new QPlainTextEdit(parent);
  text->setFont(fixedFont());
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  return text;
}

// One entry per line; a final line end adds no empty entry.
std::vector<std::string> linesOf(const QPlainTextEdit* text) {
  QStringList lines = text->toPlainText().split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  std::vector<std::string> entries;
  entries.reserve(lines.size());
  for (const QString& line : lines) entries.push_back(fromDisplayText(line));
  return entries;
}

void setLines(QPlainTextEdit* text, const std::vector<std::string>& entries) {
  QStringList lines;
  for (const std::string& entry : entries) lines << toDisplayText(entry);
  text->setPlainText(lines.join(QLatin1Char('\n')));
}

QWidget* replaceCharsPage(QTableWidget* fileNameChars, QTableWidget* specialChars) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  layout->addWidget(new QLabel(QString::fromUtf8("- ファイルネームに使用できない文字の変換設定")));
  fileNameChars->setFixedHeight(161);
  layout->addWidget(fileNameChars);
  layout->addWidget(new QLabel(QString::fromUtf8("- 特殊文字")));
  specialChars->setFixedHeight(36);
  layout->addWidget(specialChars);
  layout->addStretch();
  return page;
}

}  // namespace

FrmOption::FrmOption(std::filesystem::path dataFolder, QWidget* parent)
    : QDialog(parent), m_dataFolder(std::move(dataFolder)) {
  setObjectName(QStringLiteral("FrmOption"));
  setWindowTitle(QString::fromUtf8("オプション"));
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPixelSize(12);
  setFont(font);

  m_fileNameChars = makeCharGrid(this);
  m_fileNameChars->setObjectName(QStringLiteral("vleChkFileNameChar"));
  m_specialChars = makeCharGrid(this);
  m_specialChars->setObjectName(QStringLiteral("vleChkFileNameChar2"));
  m_filterList = makeListText(this);
  m_filterList->setObjectName(QStringLiteral("mOptExtract"));
  m_formatList = makeListText(this);
  m_formatList->setObjectName(QStringLiteral("mOptFmtLists"));

  m_pages = new QTabWidget(this);
  // Tighter tabs, so that the three captions fit side by side in the narrow dialog.
  m_pages->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 5px; }"));
  m_pages->addTab(replaceCharsPage(m_fileNameChars, m_specialChars), QString::fromUtf8("変換文字"));
  m_pages->addTab(m_filterList, QString::fromUtf8("絞り込み一覧"));
  m_pages->addTab(m_formatList, QString::fromUtf8("形式化文字列一覧"));
  m_pages->widget(0)->setObjectName(QStringLiteral("tsReplaceChars"));
  m_pages->setCurrentIndex(FilterListPage);

  auto* ok = new QPushButton(QStringLiteral("&OK"), this);
  ok->setObjectName(QStringLiteral("btnOK"));
  ok->setFixedSize(75, 25);
  connect(ok, &QPushButton::clicked, this, &FrmOption::onOk);

  auto* layout = new QVBoxLayout(this);
  // The tab set takes the upper 273 pixels, the OK button the rest.
  layout->setContentsMargins(0, 0, 4, 2);
  layout->setSpacing(3);
  layout->addWidget(m_pages, 1);
  layout->addWidget(ok, 0, Qt::AlignRight);
  setFixedSize(269, 303);

  setFileNameCharTable(platform::builtInFileNameCharTable());
  setTabReplacement(" ");
}

std::vector<platform::Rule> FrmOption::fileNameCharTable() const {
  std::vector<platform::Rule> rules;
  for (int row = 0; row < m_fileNameChars->rowCount(); ++row) {
    platform::Rule rule;
    rule.key = cellText(m_fileNameChars, row, 0);
    rule.value = cellText(m_fileNameChars, row, 1);
    rule.hasSeparator = m_fileNameChars->item(row, 0)->data(Qt::UserRole).toBool();
    rules.push_back(std::move(rule));
  }
  return rules;
}

void FrmOption::setFileNameCharTable(const std::vector<platform::Rule>& rules) {
  m_fileNameChars->setRowCount(static_cast<int>(rules.size()));
  for (int row = 0; row < static_cast<int>(rules.size()); ++row) {
    const platform::Rule& rule = rules[static_cast<std::size_t>(row)];
    QTableWidgetItem* key = keyItem(toDisplayText(rule.key));
    key->setData(Qt::UserRole, rule.hasSeparator);
    m_fileNameChars->setItem(row, 0, key);
    m_fileNameChars->setItem(row, 1, new QTableWidgetItem(toDisplayText(rule.value)));
  }
}

std::string FrmOption::tabReplacement() const { return cellText(m_specialChars, 0, 1); }

void FrmOption::setTabReplacement(const std::string& value) {
  m_specialChars->setRowCount(1);
  m_specialChars->setItem(0, 0, keyItem(QStringLiteral("TAB")));
  m_specialChars->setItem(0, 1, new QTableWidgetItem(toDisplayText(value)));
}

std::vector<std::string> FrmOption::filterList() const { return linesOf(m_filterList); }
void FrmOption::setFilterList(const std::vector<std::string>& e) { setLines(m_filterList, e); }
std::vector<std::string> FrmOption::formatList() const { return linesOf(m_formatList); }
void FrmOption::setFormatList(const std::vector<std::string>& e) { setLines(m_formatList, e); }

void FrmOption::loadLists() {
  if (auto lines = platform::readListFile(m_dataFolder / "Extract.lst")) setFilterList(*lines);
  if (auto lines = platform::readListFile(m_dataFolder / "ConvFmt.lst")) setFormatList(*lines);
}

void FrmOption::saveLists() const {
  platform::writeListFile(m_dataFolder / "Extract.lst", filterList());
  platform::writeListFile(m_dataFolder / "ConvFmt.lst", formatList());
}

void FrmOption::showListPage(Page page) {
  m_pages->setCurrentIndex(page);
  show();
  raise();
  activateWindow();
  (page == FormatListPage ? m_formatList : m_filterList)->setFocus();
}

void FrmOption::onOk() {
  runCommand(this, [this] {
    saveLists();
    accept();
  });
}

void FrmOption::done(int result) {
  QDialog::done(result);
  emit closed();
}

}  // namespace namitra::app
