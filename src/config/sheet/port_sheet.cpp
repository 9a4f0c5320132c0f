#include "config/sheet/port_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace brenmoor::config::sheet {

CPortSheet::CPortSheet(SettingsTables& tables, QWidget* owner)
    : QDialog(owner),
      registry_(tables.m_PortRegistry),
      tabs_(new QTabWidget(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(QStringLiteral("Ports Properties"));
    for (int port = 0; port < kPortCount; ++port)
        comBaseAtOpen_[port] = registry_[port].nComBase;

    for (int port = 0; port < kPortCount; ++port) {
        pages_[port] = new CPortPage(port + 1, registry_, tabs_);
        tabs_->addTab(pages_[port], pages_[port]->windowTitle());
    }
    // Every port's tab stays in sight; the sheet grows wider than a page to hold them.
    tabs_->setUsesScrollButtons(false);
    tabs_->setCurrentIndex(0);

    buttons_->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons_, &QDialogButtonBox::accepted, this, &CPortSheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &CPortSheet::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
}

void CPortSheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!initialised_) {
        initialiseSheet();
        initialised_ = true;
    }
}

// The pages' own caption is replaced by the port numbers the operator knows.
void CPortSheet::initialiseSheet()
{
    for (int i = 0; i < kPortCount; ++i)
        tabs_->setTabText(i, QStringLiteral("Port%1").arg(i + 1));
}

void CPortSheet::accept()
{
    for (CPortPage* page : pages_) {
        if (page->isInitialised())
            page->commit();
    }
    QDialog::accept();
}

void CPortSheet::reject()
{
    for (int port = 1; port < kPortCount; ++port)
        registry_[port].nComBase = comBaseAtOpen_[port];
    QDialog::reject();
}

}  // namespace brenmoor::config::sheet
