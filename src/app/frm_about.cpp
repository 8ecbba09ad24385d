#include "app/frm_about.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#ifndef NAMITRA_VERSION
#define NAMITRA_VERSION ""
#endif

namespace namitra::app {
namespace {

QFont pixelFont(int pixels, bool bold = false) {
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QLabel* picture(const QString& resource, QSize size) {
  auto* label = new QLabel;
  label->setPixmap(QIcon(resource).pixmap(size));
  label->setFixedSize(size);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

QFrame* pictureFrame() {
  auto* frame = new QFrame;
  frame->setFixedSize(97, 153);
  frame->setFrameShape(QFrame::Box);
  frame->setStyleSheet(QStringLiteral("QFrame { color: #a0a0a0; }"));
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(4, 4, 4, 4);  // room for the 88 pixels of the banner
  layout->addStretch();
  layout->addWidget(picture(QStringLiteral(":/images/namitra.svg"), QSize(64, 64)), 0,
                    Qt::AlignHCenter);
  layout->addSpacing(12);
  layout->addWidget(picture(QStringLiteral(":/images/banner.svg"), QSize(88, 25)), 0,
                    Qt::AlignHCenter);
  layout->addStretch();
  return frame;
}

}  // namespace

QString versionTextOf(const QString& buildVersion) {
  if (buildVersion.isEmpty()) return {};
  const QStringList parts = buildVersion.split(QLatin1Char('.'));
  QStringList numbers;
  for (int i = 0; i < 4; ++i) {
    const unsigned value = i < parts.size() ? parts[i].toUInt() : 0;
    numbers << QString::number(value & 0xFFFF);
  }
  return numbers.join(QLatin1Char('.'));
}

QString VersionText() { return versionTextOf(QStringLiteral(NAMITRA_VERSION)); }

QIcon applicationIcon() { return QIcon(QStringLiteral(":/images/namitra.svg")); }

FrmAbout::FrmAbout(QString supportAddress, QWidget* parent)
    : QDialog(parent), m_supportAddress(std::move(supportAddress)) {
  setObjectName(QStringLiteral("FrmAbout"));
  setWindowTitle(QString::fromUtf8("バージョン情報"));
  setFont(pixelFont(12));
  setFixedSize(389, 166);

  auto* tagline = new QLabel(QString::fromUtf8("お手軽名前変更ツール"));
  auto* name = new QLabel(QStringLiteral("Namitra!"));
  name->setFont(pixelFont(19, true));
  auto* version = new QLabel(QStringLiteral("ver ") + VersionText());
  version->setObjectName(QStringLiteral("lblVersion"));

  auto* link = new QLabel(QStringLiteral("support web."));
  link->setObjectName(QStringLiteral("lblProgramedby"));
  link->setStyleSheet(QStringLiteral("QLabel { color: blue; text-decoration: underline; }"));
  link->setCursor(Qt::PointingHandCursor);
  link->setToolTip(m_supportAddress + QString::fromUtf8("サポートページを開く"));
  link->installEventFilter(this);

  auto* line = new QFrame;
  line->setFrameShape(QFrame::HLine);
  line->setFixedWidth(269);

  auto* ok = new QPushButton(QStringLiteral("&OK"));
  ok->setObjectName(QStringLiteral("btnOK"));
  ok->setFixedSize(75, 21);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* right = new QVBoxLayout;
  right->addWidget(tagline);
  right->addWidget(name);
  right->addWidget(version);
  right->addStretch();
  right->addWidget(link);
  right->addWidget(line);
  right->addWidget(ok, 0, Qt::AlignRight);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(8, 6, 8, 6);
  layout->addWidget(pictureFrame());
  layout->addSpacing(4);
  layout->addLayout(right, 1);
  // Escape rejects a QDialog, which closes it just as OK does.
}

bool FrmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched->objectName() == QLatin1String("lblProgramedby") &&
      event->type() == QEvent::MouseButtonRelease) {
    lblProgramedbyClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void FrmAbout::lblProgramedbyClick() { QDesktopServices::openUrl(QUrl(m_supportAddress)); }

}  // namespace namitra::app
