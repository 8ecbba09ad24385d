// The about box (FrmAbout): the program's picture, its tagline and name, "ver " with the
// version the build compiled in, and the "support web." link.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>

namespace namitra::app {

// The version of this build as four numbers, "1.0.0.0".
QString VersionText();
// Four numbers from a version as the build gives it ("1.2" becomes "1.2.0.0"); each part is
// kept to 16 bits, a part that is not a number reads as 0. Empty for an empty version.
QString versionTextOf(const QString& buildVersion);

class FrmAbout : public QDialog {
  Q_OBJECT
 public:
  // `supportAddress` is what the link opens (the support page, or the manual's file URL).
  FrmAbout(QString supportAddress, QWidget* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void lblProgramedbyClick();

  QString m_supportAddress;
};

// The application's icon (the window icon and the about box's picture).
QIcon applicationIcon();

}  // namespace namitra::app
