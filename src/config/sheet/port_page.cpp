#include "config/sheet/port_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "res/dialog_controls.h"
#include "res/port_page_template.h"

namespace brenmoor::config::sheet {

using namespace brenmoor::res;

namespace {

// A stored position outside the list leaves the list without a selection.
void selectPosition(QComboBox* list, std::int32_t position)
{
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

// A list without a selection keeps the stored value: it has no position to give, and any
// substitute would be a choice the operator never made.
void storePosition(const QComboBox* list, std::int32_t& field)
{
    if (list->currentIndex() >= 0)
        field = list->currentIndex();
}

void setChecked(QAbstractButton* button, std::int32_t value) { button->setChecked(value != 0); }
std::int32_t checkState(const QAbstractButton* button) { return button->isChecked() ? 1 : 0; }

}  // namespace

CPortPage::CPortPage(int portNumber, PortRegistry& registry, QWidget* parent)
    : QWidget(parent),
      portIndex_(portNumber - 1),
      registry_(registry),
      form_(new QWidget(this)),
      controls_(buildDialog(portPageTemplate(), form_))
{
    Q_ASSERT(portIndex_ >= 0 && portIndex_ < kPortCount);
    form_->setFixedSize(controls_.size());
    setWindowTitle(form_->windowTitle());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(form_, 0, Qt::AlignHCenter | Qt::AlignTop);
}

void CPortPage::showEvent(QShowEvent* event)
{
    if (!initialised_) {
        initialise();
        connectReactions();
        initialised_ = true;
    }
    QWidget::showEvent(event);
}

void CPortPage::fillStopBitList()
{
    QComboBox* stopBits = controls_.dropDownList(kIdStopBitsList);
    stopBits->clear();
    stopBits->insertItem(0, QStringLiteral("1"));
    // The UART's second stop-bit setting is 1.5 bits with five data bits, two otherwise.
    stopBits->insertItem(1, record().nDataBits == 0 ? QStringLiteral("1.5") : QStringLiteral("2"));
}

void CPortPage::initialise()
{
    PortRegistryEntry& r = record();
    const BuiltDialog& c = controls_;

    // The stop-bit choices for the stored data length.
    fillStopBitList();

    // The line settings.
    selectPosition(c.dropDownList(kIdBaudList), r.nBaud);
    selectPosition(c.dropDownList(kIdDataLengthList), r.nDataBits);
    selectPosition(c.dropDownList(kIdParityList), r.nParity);
    selectPosition(c.dropDownList(kIdStopBitsList), r.nStopBits);
    selectPosition(c.dropDownList(kIdFlowControlList), r.nFlowCtrl);

    // The check boxes and radio buttons, each from its own field: a record with both
    // DTR and RTS set shows both checked.
    setChecked(c.checkBox(kIdRs485Check), r.nRS485);
    setChecked(c.checkBox(kIdIrCheck), r.nIR);
    setChecked(c.radioButton(kIdDtrRadio), r.nDTR);
    setChecked(c.radioButton(kIdRtsRadio), r.nRTS);
    setChecked(c.checkBox(kIdTxFifoCheck), r.nTxFIFO);
    setChecked(c.checkBox(kIdRxFifoCheck), r.nRxFIFO);
    setChecked(c.checkBox(kIdOpenPortCheck), r.nPortOpen);

    // COM number, hysteresis and trigger levels.
    selectPosition(c.dropDownList(kIdComBaseList), r.nComBase);
    selectPosition(c.dropDownList(kIdDtrHysteresisList), r.nDTRHys);
    selectPosition(c.dropDownList(kIdRtsHysteresisList), r.nRTSHys);
    selectPosition(c.dropDownList(kIdRxTriggerList), r.nRxTrig);
    selectPosition(c.dropDownList(kIdTxTriggerList), r.nTxTrig);

    // RS-485 and IR start available; only the first port chooses the COM numbers, the
    // others follow it.
    c.checkBox(kIdRs485Check)->setEnabled(true);
    c.checkBox(kIdIrCheck)->setEnabled(true);
    c.dropDownList(kIdComBaseList)->setEnabled(portIndex_ == 0);

    // The hysteresis list of the chosen line; RTS prevails when both are set.
    if (c.radioButton(kIdDtrRadio)->isChecked()) {
        c.dropDownList(kIdDtrHysteresisList)->setEnabled(true);
        c.dropDownList(kIdRtsHysteresisList)->setEnabled(false);
    }
    if (c.radioButton(kIdRtsRadio)->isChecked()) {
        c.dropDownList(kIdRtsHysteresisList)->setEnabled(true);
        c.dropDownList(kIdDtrHysteresisList)->setEnabled(false);
    }

    // A trigger level can be changed only with its FIFO option on.
    c.dropDownList(kIdTxTriggerList)->setEnabled(c.checkBox(kIdTxFifoCheck)->isChecked());
    c.dropDownList(kIdRxTriggerList)->setEnabled(c.checkBox(kIdRxFifoCheck)->isChecked());

    // Infrared and RS-485 exclude each other; IR prevails.
    if (c.checkBox(kIdIrCheck)->isChecked())
        c.checkBox(kIdRs485Check)->setChecked(false);
    if (c.checkBox(kIdRs485Check)->isChecked())
        c.checkBox(kIdIrCheck)->setChecked(false);
}

// Connected once the page is filled: the reactions answer the operator, not the filling.
void CPortPage::connectReactions()
{
    const BuiltDialog& c = controls_;
    connect(c.radioButton(kIdDtrRadio), &QRadioButton::clicked, this, &CPortPage::onDtrClicked);
    connect(c.radioButton(kIdRtsRadio), &QRadioButton::clicked, this, &CPortPage::onRtsClicked);
    connect(c.checkBox(kIdRxFifoCheck), &QCheckBox::clicked, this, &CPortPage::onRxFifoClicked);
    connect(c.checkBox(kIdTxFifoCheck), &QCheckBox::clicked, this, &CPortPage::onTxFifoClicked);
    connect(c.checkBox(kIdRs485Check), &QCheckBox::clicked, this, &CPortPage::onRs485Clicked);
    connect(c.checkBox(kIdIrCheck), &QCheckBox::clicked, this, &CPortPage::onIrClicked);
    connect(c.dropDownList(kIdDataLengthList), &QComboBox::currentIndexChanged, this, &CPortPage::onDataLengthChanged);
    connect(c.dropDownList(kIdStopBitsList), &DropDownList::aboutToDropDown, this, &CPortPage::onStopBitsAboutToDropDown);
    if (portIndex_ == 0)
        connect(c.dropDownList(kIdComBaseList), &QComboBox::currentIndexChanged, this, &CPortPage::onComBaseChanged);
}

void CPortPage::onDtrClicked()
{
    controls_.dropDownList(kIdDtrHysteresisList)->setEnabled(true);
    controls_.dropDownList(kIdRtsHysteresisList)->setEnabled(false);
}

void CPortPage::onRtsClicked()
{
    controls_.dropDownList(kIdRtsHysteresisList)->setEnabled(true);
    controls_.dropDownList(kIdDtrHysteresisList)->setEnabled(false);
}

void CPortPage::onRxFifoClicked()
{
    controls_.dropDownList(kIdRxTriggerList)->setEnabled(controls_.checkBox(kIdRxFifoCheck)->isChecked());
}

void CPortPage::onTxFifoClicked()
{
    controls_.dropDownList(kIdTxTriggerList)->setEnabled(controls_.checkBox(kIdTxFifoCheck)->isChecked());
}

void CPortPage::onRs485Clicked()
{
    if (controls_.checkBox(kIdRs485Check)->isChecked())
        controls_.checkBox(kIdIrCheck)->setChecked(false);
}

void CPortPage::onIrClicked()
{
    if (controls_.checkBox(kIdIrCheck)->isChecked())
        controls_.checkBox(kIdRs485Check)->setChecked(false);
}

// The new data length is stored at once and the stop-bit choices follow it, starting
// again at one stop bit; the stored stop bits are left for the commit.
void CPortPage::onDataLengthChanged(int position)
{
    if (position < 0)
        return;
    record().nDataBits = position;
    fillStopBitList();
    controls_.dropDownList(kIdStopBitsList)->setCurrentIndex(0);
}

// Before the stop-bit list opens its choices are rebuilt for the data length on screen,
// and the list opens on the stored stop bits.
void CPortPage::onStopBitsAboutToDropDown()
{
    storePosition(controls_.dropDownList(kIdDataLengthList), record().nDataBits);
    fillStopBitList();
    selectPosition(controls_.dropDownList(kIdStopBitsList), record().nStopBits);
}

// The card's ports take consecutive COM numbers: ports 1 to 7 follow the first port's
// choice at once; the first port's own number waits for the commit.
void CPortPage::onComBaseChanged(int position)
{
    if (position < 0)
        return;
    for (int k = 1; k < kPortCount; ++k)
        registry_[k].nComBase = position + k;
}

void CPortPage::commit()
{
    PortRegistryEntry& r = record();
    const BuiltDialog& c = controls_;
    storePosition(c.dropDownList(kIdBaudList), r.nBaud);
    storePosition(c.dropDownList(kIdDataLengthList), r.nDataBits);
    storePosition(c.dropDownList(kIdParityList), r.nParity);
    storePosition(c.dropDownList(kIdStopBitsList), r.nStopBits);
    storePosition(c.dropDownList(kIdFlowControlList), r.nFlowCtrl);
    r.nRS485 = checkState(c.checkBox(kIdRs485Check));
    r.nIR = checkState(c.checkBox(kIdIrCheck));
    r.nDTR = checkState(c.radioButton(kIdDtrRadio));
    r.nRTS = checkState(c.radioButton(kIdRtsRadio));
    r.nPortOpen = checkState(c.checkBox(kIdOpenPortCheck));
    r.nTxFIFO = checkState(c.checkBox(kIdTxFifoCheck));
    r.nRxFIFO = checkState(c.checkBox(kIdRxFifoCheck));
    if (portIndex_ == 0)
        storePosition(c.dropDownList(kIdComBaseList), r.nComBase);
    // Disabled lists are stored like the others.
    storePosition(c.dropDownList(kIdDtrHysteresisList), r.nDTRHys);
    storePosition(c.dropDownList(kIdRtsHysteresisList), r.nRTSHys);
    storePosition(c.dropDownList(kIdRxTriggerList), r.nRxTrig);
    storePosition(c.dropDownList(kIdTxTriggerList), r.nTxTrig);
}

}  // namespace brenmoor::config::sheet
