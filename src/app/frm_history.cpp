#include "app/frm_history.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace namitra::app {

FrmHistory::FrmHistory(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("FrmHistory"));
  setWindowTitle(QString::fromUtf8("変更履歴"));
  m_list = new QTreeWidget(this);
  m_list->setObjectName(QStringLiteral("lvHistory"));
  m_list->setRootIsDecorated(false);
  m_list->setHeaderLabels({QString::fromUtf8("パス"), QString::fromUtf8("元のファイル名"),
                           QString::fromUtf8("変更後のファイル名")});
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_list->header()->setSectionsClickable(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_list);
  resize(520, 300);
}

}  // namespace namitra::app
