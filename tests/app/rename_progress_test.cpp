// The progress dialog of the rename run: a run over many rows shows it, the window keeps
// handling events while the run goes on, and nothing stops the run half way: the dialog has no
// cancel button, and Escape or closing it changes nothing. A short run shows no dialog.
#include "frm_main_fixture.h"

#include "app/editor/editor_widget.h"
#include "app/frm_history.h"

#include <QKeyEvent>
#include <QProgressDialog>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace namitra::app {
namespace {

// The real file system, half a millisecond slower per rename: a run over 2,000 rows takes a
// second however fast the machine is, well past the half second after which the dialog shows.
class SlowFiles : public rename::SystemFileAccess {
 public:
  rename::RenameStatus rename(const std::string& from, const std::string& to, bool replaceAllowed,
                              const rename::MoveScratch* scratch = nullptr) override {
    std::this_thread::sleep_for(std::chrono::microseconds(500));
    return SystemFileAccess::rename(from, to, replaceAllowed, scratch);
  }
};

// Every progress dialog the application shows, as it is when it appears; and an attempt to
// stop each one, with Escape and with close(), handled when the run next lets events through.
class ProgressDialogWatch : public QObject {
 public:
  struct Sighting {
    QString label;
    bool hasButton = false;
    bool modal = false;
    std::size_t recordsSoFar = 0;
  };

  explicit ProgressDialogWatch(const rename::ChangeHistory& history) : m_history(history) {
    qApp->installEventFilter(this);
  }
  ~ProgressDialogWatch() override { qApp->removeEventFilter(this); }

  std::vector<Sighting> sightings;
  std::vector<std::size_t> closedAt;  // the records there were when a dialog got a close event

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* dialog = qobject_cast<QProgressDialog*>(object);
    if (!dialog) return false;
    if (event->type() == QEvent::Close) closedAt.push_back(m_history.size());
    if (event->type() != QEvent::Show) return false;
    sightings.push_back({dialog->labelText(), !dialog->findChildren<QPushButton*>().isEmpty(),
                         dialog->windowModality() != Qt::NonModal, m_history.size()});
    QCoreApplication::postEvent(dialog, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QMetaObject::invokeMethod(dialog, &QWidget::close, Qt::QueuedConnection);
    return false;
  }

 private:
  const rename::ChangeHistory& m_history;
};

class RenameProgressTest : public FrmMainTest {
 protected:
  // The window with one row per file old0000.txt ... and the planned names new0000.txt ...
  std::unique_ptr<FrmMain> openWindowOver(int rows) {
    fs::create_directory(folder() / "files");
    std::vector<std::string> paths;
    std::string planned;
    for (int k = 0; k < rows; ++k) {
      writeFile(filePath("old", k), "x");
      paths.push_back(filePath("old", k).string());
      planned += fileName("new", k) + "\r\n";
    }
    MainWindowSetup setup;
    setup.dataFolder = folder();
    setup.settingsFile = settingsFile();
    setup.commandLine = std::move(paths);
    setup.codec = &m_codec;
    setup.files = &m_files;
    auto window = std::make_unique<FrmMain>(std::move(setup));
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->action("actViewEdit")->trigger();
    window->editText().editor().setText(planned);
    window->action("actViewFileList")->trigger();
    return window;
  }

  static std::string fileName(const char* stem, int k) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%04d.txt", stem, k);
    return name;
  }
  fs::path filePath(const char* stem, int k) const { return folder() / "files" / fileName(stem, k); }

  int filesNamed(const char* stem, int rows) const {
    int count = 0;
    for (int k = 0; k < rows; ++k) count += fs::exists(filePath(stem, k));
    return count;
  }

  SlowFiles m_files;
};

TEST_F(RenameProgressTest, ALongRunShowsTheDialogKeepsHandlingEventsAndCannotBeStopped) {
  constexpr int kRows = 2000;
  auto window = openWindowOver(kRows);
  ASSERT_EQ(window->fileList().list().row(kRows - 1).plannedName, fileName("new", kRows - 1));
  const rename::ChangeHistory& history = window->history().changes();
  ProgressDialogWatch watch(history);
  std::vector<std::size_t> recordsAtTimer;  // a timer that fires only while events are handled
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { recordsAtTimer.push_back(history.size()); });
  timer.start(0);

  window->action("actFileListExecute")->trigger();
  timer.stop();

  ASSERT_EQ(watch.sightings.size(), 1u) << "shown once, and not again after the attempts to close it";
  const ProgressDialogWatch::Sighting& shown = watch.sightings[0];
  EXPECT_EQ(shown.label, QString::fromUtf8("名前を変更しています..."));
  EXPECT_FALSE(shown.hasButton) << "no cancel button";
  EXPECT_TRUE(shown.modal);
  EXPECT_GT(shown.recordsSoFar, 0u);
  EXPECT_LT(shown.recordsSoFar, std::size_t{kRows}) << "it appears while the run goes on";
  EXPECT_TRUE(std::any_of(recordsAtTimer.begin(), recordsAtTimer.end(),
                          [](std::size_t records) { return records > 0 && records < kRows; }))
      << "events are handled half way through the run";
  EXPECT_TRUE(std::any_of(watch.closedAt.begin(), watch.closedAt.end(),
                          [](std::size_t records) { return records < kRows; }))
      << "Escape and close() reached the dialog while the run went on";

  EXPECT_EQ(filesNamed("new", kRows), kRows) << "the run went on to its end";
  EXPECT_EQ(filesNamed("old", kRows), 0);
  EXPECT_EQ(history.size(), std::size_t{kRows});
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8("■名前変換を終了しました"));
  const QStringList lines = window->messageLog().lines();
  ASSERT_GE(lines.size(), 2);
  EXPECT_TRUE(lines[lines.size() - 2].contains(QString::fromUtf8("成功 2000件"))) << lines[lines.size() - 2].toStdString();
  for (QProgressDialog* dialog : window->findChildren<QProgressDialog*>()) EXPECT_FALSE(dialog->isVisible());
}

TEST_F(RenameProgressTest, AShortRunShowsNoDialog) {
  auto window = openWindowOver(3);
  ProgressDialogWatch watch(window->history().changes());
  window->action("actFileListExecute")->trigger();
  EXPECT_TRUE(watch.sightings.empty());
  EXPECT_EQ(filesNamed("new", 3), 3);
  EXPECT_EQ(lastMessage(*window), QString::fromUtf8("■名前変換を終了しました"));
}

}  // namespace
}  // namespace namitra::app
