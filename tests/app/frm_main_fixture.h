// The main window in a scratch data folder, and the small helpers the window tests share:
// drops of file URIs, answering the next message box, the names in the list and the log.
#pragma once

#include "app/frm_main.h"
#include "app/message_log.h"
#include "platform/name_codec.h"
#include "platform/text_file.h"
#include "app/display_text.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace namitra::app {

namespace fs = std::filesystem;

class FrmMainTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    setDisplayCodec(&m_codec);
  }
  void TearDown() override { setDisplayCodec(nullptr); }

  fs::path folder() const { return fs::path(m_dir.path().toStdString()); }
  fs::path settingsFile() const { return m_settingsFile.empty() ? folder() / "namitra.ini" : m_settingsFile; }

  std::unique_ptr<FrmMain> openWindow(std::vector<std::string> commandLine = {},
                                      std::vector<std::string> openedFiles = {}) {
    MainWindowSetup setup;
    setup.dataFolder = folder();
    setup.settingsFile = settingsFile();
    setup.commandLine = std::move(commandLine);
    setup.openedFiles = std::move(openedFiles);
    setup.codec = &m_codec;
    auto window = std::make_unique<FrmMain>(std::move(setup));
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    return window;
  }

  std::string fileBytes(const fs::path& path) const {
    return platform::readWholeFile(path).value_or("<missing>");
  }

  void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  QTemporaryDir m_dir;
  fs::path m_settingsFile;
  platform::NameCodec m_codec{folder() / "NameCodes.tbl"};
};

// Drops arrive at the widget under the pointer: the viewport, for a scrolling pane.
inline void dropUris(QWidget* target, const QByteArray& uris) {
  if (auto* area = qobject_cast<QAbstractScrollArea*>(target)) target = area->viewport();
  QMimeData mime;
  mime.setData(QStringLiteral("text/uri-list"), uris);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

// Presses `button` of the next modal message box as soon as it is shown.
inline void answerNextMessageBox(QMessageBox::StandardButton button, QString* text = nullptr) {
  QTimer::singleShot(0, [button, text] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    if (text) *text = box->text();
    box->button(button)->click();
  });
}

inline std::vector<std::string> names(FrmMain& window) {
  std::vector<std::string> result;
  for (const auto& row : window.fileList().list().rows()) result.push_back(row.name);
  return result;
}

inline QString lastMessage(FrmMain& window) {
  const QStringList lines = window.messageLog().lines();
  return lines.isEmpty() ? QString() : lines.back().section(QLatin1Char(']'), 1);
}

inline QWidget* child(FrmMain& window, const char* name) {
  return window.findChild<QWidget*>(QString::fromLatin1(name));
}

}  // namespace namitra::app
