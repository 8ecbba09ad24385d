// Start-up and shutdown of the main window when its stored files misbehave: a replacement table
// that cannot be read, a replacement table or a whole data folder that cannot be written, a
// data folder that is missing, and bad settings and list files.
//
// The window always comes up. A stored file that cannot be read is reported and costs nothing
// else: the other stored files are still read, and what could not be read is not overwritten at
// shutdown. A file that cannot be written at shutdown asks whether to quit without saving.
#include "frm_main_fixture.h"
#include "../rename/fault_folder.h"
#include "app/frm_option.h"
#include "platform/program_settings.h"

#include <QCheckBox>

#include <sys/stat.h>

namespace namitra::app {
namespace {

using rename::testing::Immutable;

const std::string kUserSettings = "[Options]\r\ntab_char=_\r\nviewEditTools=0\r\n[RegExp]\r\nFuzzy=1\r\n";

class StartupFaultTest : public FrmMainTest {};

TEST_F(StartupFaultTest, AnUnreadableTableIsReportedAndTheRestOfTheStartUpStillHappens) {
  writeFile(settingsFile(), kUserSettings);
  const fs::path table = folder() / "ValidFileNameChar.rld";
  ASSERT_EQ(::mkfifo(table.c_str(), 0644), 0);  // a table nobody can read, not even root
  QString error;
  answerNextMessageBox(QMessageBox::Ok, &error);
  auto window = openWindow({"/d/a.jpg", "/d/b.jpg"});
  EXPECT_TRUE(error.contains(QString::fromStdString(table.string()))) << error.toStdString();
  EXPECT_EQ(names(*window), (std::vector<std::string>{"a.jpg", "b.jpg"}));
  EXPECT_EQ(window->options().tabReplacement(), "_");
  EXPECT_FALSE(window->action("actViewEditTools")->isChecked());
  EXPECT_TRUE(window->findChild<QCheckBox*>("cbRegFuzzy")->isChecked());

  EXPECT_TRUE(window->close());
  struct stat info {};
  ASSERT_EQ(::lstat(table.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the table that could not be read was overwritten";
  const platform::ProgramSettings stored = platform::readProgramSettings(settingsFile());
  EXPECT_EQ(stored.tabReplacement, "_");
  EXPECT_FALSE(stored.viewEditTools);
  EXPECT_TRUE(stored.fuzzy);
}

TEST_F(StartupFaultTest, ATableThatCannotBeWrittenAsksAndQuitsWithoutSavingIt) {
  fs::create_directory(folder() / "ValidFileNameChar.rld");  // a folder is no table
  auto window = openWindow();
  window->options().setTabReplacement("+");
  QString question;
  answerNextMessageBox(QMessageBox::No, &question);
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(question.contains(QString::fromUtf8("保存せずに終了しますか"))) << question.toStdString();
  EXPECT_TRUE(question.contains(QString::fromUtf8("ValidFileNameChar.rld"))) << question.toStdString();
  answerNextMessageBox(QMessageBox::Yes);
  EXPECT_TRUE(window->close());
  EXPECT_TRUE(fs::is_directory(folder() / "ValidFileNameChar.rld"));
  EXPECT_NE(fileBytes(settingsFile()).find("tab_char=+"), std::string::npos);
}

TEST_F(StartupFaultTest, AReadOnlyDataFolderAsksOnceAndLeavesEveryFileAsItWas) {
  writeFile(settingsFile(), kUserSettings);
  auto window = openWindow();
  window->options().setTabReplacement("+");
  Immutable readOnly(folder());
  if (!readOnly.problem().empty()) GTEST_SKIP() << "cannot make the data folder read only: " << readOnly.problem();
  QString question;
  answerNextMessageBox(QMessageBox::Yes, &question);  // a second question would never be answered
  EXPECT_TRUE(window->close());
  EXPECT_TRUE(question.contains(QString::fromUtf8("保存せずに終了しますか"))) << question.toStdString();
  EXPECT_EQ(fileBytes(settingsFile()), kUserSettings);
  EXPECT_FALSE(fs::exists(folder() / "ValidFileNameChar.rld"));
}

TEST_F(StartupFaultTest, AMissingDataFolderStartsWithDefaultsAndAsksAtShutdown) {
  m_settingsFile = folder() / "missing" / "namitra.ini";
  MainWindowSetup setup;
  setup.dataFolder = folder() / "missing";
  setup.settingsFile = m_settingsFile;
  setup.codec = &m_codec;
  auto window = std::make_unique<FrmMain>(std::move(setup));
  window->show();
  EXPECT_EQ(window->options().tabReplacement(), " ");
  EXPECT_EQ(window->options().fileNameCharTable().size(), 9u);
  QString question;
  answerNextMessageBox(QMessageBox::Yes, &question);
  EXPECT_TRUE(window->close());
  EXPECT_TRUE(question.contains(QString::fromUtf8("保存せずに終了しますか"))) << question.toStdString();
  EXPECT_FALSE(fs::exists(folder() / "missing"));
}

// Bad settings and table files: the window comes up with what it can read and keeps the rest.
TEST_F(StartupFaultTest, BinaryAndHugeStoredFilesDoNotStopTheWindow) {
  std::string binary;
  for (int i = 0; i < 512; ++i) binary += static_cast<char>(i % 256);
  writeFile(settingsFile(), binary);
  writeFile(folder() / "ValidFileNameChar.rld", std::string(100 * 1024 * 1024, '\n'));
  writeFile(folder() / "Extract.lst", binary);
  QString error;
  answerNextMessageBox(QMessageBox::Ok, &error);
  auto window = openWindow();
  EXPECT_TRUE(error.contains(QString::fromUtf8("File too large"))) << error.toStdString();
  EXPECT_EQ(window->options().tabReplacement(), " ");
  EXPECT_EQ(window->options().fileNameCharTable().size(), 9u);
  EXPECT_TRUE(window->close());
  EXPECT_EQ(fs::file_size(folder() / "ValidFileNameChar.rld"), 100u * 1024 * 1024);
  EXPECT_TRUE(fileBytes(settingsFile()).starts_with(binary)) << "the settings file lost its bytes";
  EXPECT_EQ(fileBytes(folder() / "Extract.lst"), binary);
}

}  // namespace
}  // namespace namitra::app
