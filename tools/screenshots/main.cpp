// namitra_screenshots OUTPUT-FOLDER: renders the program's windows, with sample content, as the
// PNG pictures of the manual and the README.
//
// It makes a scratch folder with a data folder (settings, list files, two rule files) and a
// folder of photos with Japanese names, then drives the real main window through one renaming
// pass: the empty window, the filled file list, the view menu, the edit tab on each tool page,
// the planned names, the change history after the rename, the list with old and new names
// swapped, the options dialog on two pages, the about box and the duplicate-name error. Each
// picture is the widget's own rendering (QWidget::grab), so the same pictures come out on the
// offscreen platform and under a virtual X server. Nothing outside the scratch folder and the
// output folder is touched.
#include "app/display_text.h"
#include "app/editor/editor_widget.h"
#include "app/frm_about.h"
#include "app/frm_history.h"
#include "app/frm_main.h"
#include "app/frm_option.h"
#include "app/history_combo_box.h"
#include "app/number_box.h"
#include "app/rule_grid.h"
#include "app/tool_pane.h"
#include "platform/list_file.h"
#include "platform/name_codec.h"
#include "platform/rule_file.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace namitra;

// The photos of one trip, as a camera, a phone and a hand-named copy leave them.
const char* const kSampleFiles[] = {
    "DSC_0101.JPG",          "DSC_0102.JPG",          "DSC_0103.JPG",
    "IMG_20240501_093012.jpg", "IMG_20240501_101544.jpeg", "清水寺　本堂.JPG",
    "金閣寺 (夕方).jpg",     "嵐山 竹林.JPG",
};

std::string sjis(const char* utf8) { return app::fromDisplayText(QString::fromUtf8(utf8)); }

std::vector<std::string> sjisLines(std::initializer_list<const char*> lines) {
  std::vector<std::string> result;
  for (const char* line : lines) result.push_back(sjis(line));
  return result;
}

void createEmptyFile(const fs::path& path) {
  std::ofstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot create " + path.string());
}

// The stored files a user would have after some use: two rule files and the two history lists.
void fillDataFolder(const fs::path& data) {
  platform::writeRuleFile(data / "空白を下線に.rl",
                          {platform::Rule::fromLine(sjis(" =_")),
                           platform::Rule::fromLine(sjis("　=_"))});
  platform::writeRuleFile(data / "括弧を削除.rl",
                          {platform::Rule::fromLine(sjis("(=")),
                           platform::Rule::fromLine(sjis(")="))});
  platform::writeListFile(data / "Extract.lst", sjisLines({"DSC_", "IMG_", ".JPG"}));
  platform::writeListFile(data / "ConvFmt.lst",
                          sjisLines({"京都旅行_%NUM%.%F_EXTaa%", "%F_NAMEaa%.%F_EXTaa%",
                                     "%NUM%_%F_NAME%.%F_EXT%"}));
}

std::vector<std::string> createSampleFiles(const fs::path& folder) {
  std::vector<std::string> paths;
  for (const char* name : kSampleFiles) {
    createEmptyFile(folder / name);
    paths.push_back((folder / name).string());
  }
  return paths;
}

void settle() { QTest::qWait(120); }

class Shooter {
 public:
  explicit Shooter(fs::path output) : m_output(std::move(output)) {}

  void save(QWidget& widget, const char* name) {
    settle();
    const QString path = QString::fromStdString((m_output / name).string());
    if (!widget.grab().save(path, "PNG")) throw std::runtime_error("cannot write " + path.toStdString());
    std::printf("%s\n", qPrintable(path));
  }

 private:
  fs::path m_output;
};

void trigger(app::FrmMain& window, const char* name) {
  QAction* action = window.action(name);
  if (!action) throw std::runtime_error(std::string("the window has no action ") + name);
  action->trigger();
}

void setBox(app::HistoryComboBox* box, const char* utf8) { box->setEditText(QString::fromUtf8(utf8)); }

// Ticks the rule file of that name in the list of saved rule files.
void tickRuleFile(app::ToolPane& pane, const char* utf8) {
  QListWidget* list = pane.clbReplaceListFileList;
  for (int row = 0; row < list->count(); ++row) {
    if (list->item(row)->text() == QString::fromUtf8(utf8)) list->item(row)->setCheckState(Qt::Checked);
  }
}

void shootEditPages(app::FrmMain& window, Shooter& shooter) {
  app::ToolPane& pane = window.toolPane();
  trigger(window, "actViewEdit");

  pane.setCurrentIndex(app::ToolPane::ReplaceListPage);
  settle();
  pane.vleReplaceList->appendRules({platform::Rule::fromLine(sjis("DSC_=京都_")),
                                    platform::Rule::fromLine(sjis("IMG_=京都_"))});
  tickRuleFile(pane, "空白を下線に.rl");
  tickRuleFile(pane, "括弧を削除.rl");
  trigger(window, "actReplaceListExecute");
  shooter.save(window, "edit-replacelist.png");

  pane.setCurrentIndex(app::ToolPane::ReplacePage);
  setBox(pane.cbRegReplaceSrc, "\\.jpe?g$");
  setBox(pane.cbRegReplaceDst, ".jpg");
  pane.cbRegRegexp->setChecked(true);
  pane.cbRegMatchCase->setChecked(false);
  trigger(window, "actReplaceExecute");
  shooter.save(window, "edit-replace.png");

  pane.setCurrentIndex(app::ToolPane::FormatPage);
  setBox(pane.cbFmtLists, "京都旅行_%NUM%.%F_EXTaa%");
  pane.sedtNLStartValue->setText(QStringLiteral("1"));
  pane.sedtNLDigit->setText(QStringLiteral("3"));
  trigger(window, "actFmtExecute");
  shooter.save(window, "edit-format.png");
}

void shootHistory(app::FrmMain& window, Shooter& shooter) {
  trigger(window, "actFileListExecute");
  trigger(window, "actChangeHistory");
  app::FrmHistory& history = window.history();
  history.resize(640, 340);
  QTreeWidget* list = history.historyList();
  for (int row = list->topLevelItemCount() - 3; row >= 0 && row < list->topLevelItemCount(); ++row)
    list->topLevelItem(row)->setCheckState(0, Qt::Checked);
  shooter.save(history, "history.png");
  history.hide();
}

// Every line given the same name: the run refuses it with the duplicate error, whose dialog is
// taken while it is shown and then closed with its OK button.
void shootDuplicateError(app::FrmMain& window, Shooter& shooter) {
  trigger(window, "actViewEdit");
  app::ToolPane& pane = window.toolPane();
  pane.setCurrentIndex(app::ToolPane::FormatPage);
  setBox(pane.cbFmtLists, "京都旅行.jpg");
  trigger(window, "actFmtExecute");
  trigger(window, "actViewFileList");
  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    shown = true;
    shooter.save(*box, "error-duplicate.png");
    box->accept();
  });
  trigger(window, "actFileListExecute");
  if (!shown) throw std::runtime_error("the run showed no duplicate error");
}

void shootOptions(app::FrmMain& window, Shooter& shooter) {
  app::FrmOption& options = window.options();
  options.loadLists();
  options.pages()->setCurrentIndex(app::FrmOption::ReplaceCharsPage);
  options.show();
  shooter.save(options, "options-chars.png");
  options.pages()->setCurrentIndex(app::FrmOption::FormatListPage);
  shooter.save(options, "options-formats.png");
  options.hide();
}

void shootAbout(app::FrmMain& window, Shooter& shooter) {
  app::FrmAbout about(QString(), &window);
  about.show();
  shooter.save(about, "about.png");
  about.hide();
}

// The "表示(&V)" menu dropped down over the window, as one picture of the menu alone.
void shootViewMenu(app::FrmMain& window, Shooter& shooter) {
  for (QAction* entry : window.menuBar()->actions()) {
    QMenu* menu = entry->menu();
    if (!menu || !entry->text().startsWith(QStringLiteral("表示"))) continue;
    menu->popup(window.mapToGlobal(QPoint(60, 24)));
    shooter.save(*menu, "menu-view.png");
    menu->hide();
  }
}

// The scratch folder of one run: a fixed name below the temporary folder, so that the folder
// shown in the pictures is the same on every run. Removed before and after the run.
class SampleFolder {
 public:
  SampleFolder() : m_root(fs::path(QDir::tempPath().toStdString()) / "namitra-見本") {
    fs::remove_all(m_root);
    fs::create_directories(data());
    fs::create_directories(photos());
  }
  ~SampleFolder() {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
  }
  fs::path data() const { return m_root / "data/"; }
  fs::path photos() const { return m_root / "京都旅行"; }

 private:
  fs::path m_root;
};

void shootAll(const fs::path& output) {
  SampleFolder samples;
  const fs::path dataFolder = samples.data();
  fillDataFolder(dataFolder);
  const std::vector<std::string> photos = createSampleFiles(samples.photos());

  platform::NameCodec codec(dataFolder / "NameCodes.tbl");
  app::setDisplayCodec(&codec);
  app::MainWindowSetup setup;
  setup.dataFolder = dataFolder;
  setup.settingsFile = dataFolder / "namitra.ini";
  setup.codec = &codec;
  setup.helpFile = dataFolder / "namitra.html";

  app::FrmMain window(std::move(setup));
  window.resize(820, 560);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) throw std::runtime_error("the window was not shown");
  Shooter shooter(output);
  shooter.save(window, "main-empty.png");

  window.addPaths(photos);
  shooter.save(window, "filelist.png");
  shootViewMenu(window, shooter);

  shootEditPages(window, shooter);
  trigger(window, "actViewFileList");
  shooter.save(window, "filelist-planned.png");

  shootHistory(window, shooter);
  trigger(window, "actFileListSwapOldNew");
  shooter.save(window, "filelist-swapped.png");
  shootOptions(window, shooter);
  shootAbout(window, shooter);
  shootDuplicateError(window, shooter);  // last: it adds its format to the format list
  window.close();
  app::setDisplayCodec(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("namitra"));
  if (argc != 2) {
    std::fprintf(stderr, "usage: namitra_screenshots OUTPUT-FOLDER\n");
    return 2;
  }
  const fs::path output = fs::absolute(argv[1]);
  try {
    fs::create_directories(output);
    shootAll(output);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "namitra_screenshots: %s\n", error.what());
    return 1;
  }
  return 0;
}
