// The options dialog (FrmOption): the in-memory home of the two replacement tables and of the
// filter and format lists.
//
// Page 0 holds the grid of characters not allowed in file names (keys fixed, replacements
// editable) and the one-row grid of the tab replacement; pages 1 and 2 hold the filter list and
// the format list as plain texts, one entry per line. The dialog lives for the whole run; closing
// it only hides it. Other parts of the window read and write its contents directly. OK saves both
// lists to Extract.lst and ConvFmt.lst and closes; any closing emits `closed`, on which the main
// window enables itself again after a list-edit command disabled it.
#pragma once

#include "platform/rule_file.h"

#include <QDialog>

#include <filesystem>
#include <string>
#include <vector>

class QPlainTextEdit;
class QTableWidget;
class QTabWidget;

namespace namitra::app {

class FrmOption : public QDialog {
  Q_OBJECT
 public:
  enum Page { ReplaceCharsPage = 0, FilterListPage = 1, FormatListPage = 2 };

  FrmOption(std::filesystem::path dataFolder, QWidget* parent = nullptr);

  std::vector<platform::Rule> fileNameCharTable() const;
  void setFileNameCharTable(const std::vector<platform::Rule>& rules);
  std::string tabReplacement() const;
  void setTabReplacement(const std::string& value);

  std::vector<std::string> filterList() const;
  void setFilterList(const std::vector<std::string>& entries);
  std::vector<std::string> formatList() const;
  void setFormatList(const std::vector<std::string>& entries);

  // Replaces each list text by its file's lines when the file exists (Extract.lst, ConvFmt.lst).
  void loadLists();
  // Writes both list texts to their files (StoredFileError when one cannot be written).
  void saveLists() const;

  // Shows the dialog without waiting, on `page`, with the focus in that page's text.
  void showListPage(Page page);

  QTabWidget* pages() const { return m_pages; }

 signals:
  void closed();

 protected:
  void done(int result) override;

 private:
  void onOk();

  std::filesystem::path m_dataFolder;
  QTabWidget* m_pages;
  QTableWidget* m_fileNameChars;
  QTableWidget* m_specialChars;
  QPlainTextEdit* m_filterList;
  QPlainTextEdit* m_formatList;
};

}  // namespace namitra::app
