#include "sheet_driver.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "res/dialog_controls.h"

namespace brenmoor::test {

config::sheet::PortRegistry defaultRegistry()
{
    config::sheet::PortRegistry registry;
    for (int port = 0; port < config::kPortCount; ++port)
        registry[port] = config::portDefaults(port).registry;
    return registry;
}

SheetDriver::SheetDriver(config::SettingsTables& tables)
    : sheet_(std::make_unique<config::sheet::CPortSheet>(tables, nullptr))
{
}

SheetDriver::~SheetDriver() = default;

void SheetDriver::open()
{
    sheet_->show();
    QVERIFY(QTest::qWaitForWindowExposed(sheet_.get()));
}

void SheetDriver::selectTab(int port)
{
    QTabBar* bar = sheet_->tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(port).center());
    QCOMPARE(sheet_->tabs()->currentIndex(), port);
}

QComboBox* SheetDriver::list(int port, int id)
{
    return controls(port).dropDownList(id);
}

void SheetDriver::choose(int port, int id, const QString& text)
{
    QComboBox* box = list(port, id);
    QVERIFY(box->isEnabled());
    box->showPopup();
    const int row = box->findText(text, Qt::MatchExactly);
    QVERIFY2(row >= 0, qPrintable(text));
    QAbstractItemView* view = box->view();
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    QCOMPARE(box->currentText(), text);
}

void SheetDriver::click(int port, int id)
{
    QTest::mouseClick(controls(port).control(id), Qt::LeftButton);
}

void SheetDriver::pressOk()
{
    QTest::mouseClick(sheet_->buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    QVERIFY(!sheet_->isVisible());
    QCOMPARE(sheet_->result(), int(QDialog::Accepted));
}

void SheetDriver::pressCancel()
{
    QTest::mouseClick(sheet_->buttons()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    QVERIFY(!sheet_->isVisible());
    QCOMPARE(sheet_->result(), int(QDialog::Rejected));
}

}  // namespace brenmoor::test
