#pragma once
// One page of the port properties sheet: the settings record of one port, edited in place.
// Built from the port page template; filled from the record when first shown; the data
// length (and, on the first page, the COM numbers of the other ports) reach the records at
// once, everything else when the sheet is confirmed.

#include <QWidget>
#include <array>

#include "config/port_settings.h"
#include "res/dialog_builder.h"

namespace brenmoor::config::sheet {

using PortRegistry = std::array<PortRegistryEntry, kPortCount>;

class CPortPage : public QWidget {
    Q_OBJECT
public:
    // `portNumber` is 1 to 8; the page edits registry[portNumber - 1].
    CPortPage(int portNumber, PortRegistry& registry, QWidget* parent = nullptr);

    int portIndex() const { return portIndex_; }
    // The page has been shown at least once, so it holds the operator's choices.
    bool isInitialised() const { return initialised_; }
    // Stores every control into the record (the sheet's OK).
    void commit();

    const res::BuiltDialog& controls() const { return controls_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    PortRegistryEntry& record() { return registry_[portIndex_]; }
    void initialise();
    void fillStopBitList();
    void connectReactions();

    void onDtrClicked();
    void onRtsClicked();
    void onRxFifoClicked();
    void onTxFifoClicked();
    void onRs485Clicked();
    void onIrClicked();
    void onDataLengthChanged(int position);
    void onStopBitsAboutToDropDown();
    void onComBaseChanged(int position);

    int portIndex_;
    PortRegistry& registry_;
    // The template's controls sit on a form of the template's size, centred on the page
    // when the sheet is wider than one page.
    QWidget* form_;
    res::BuiltDialog controls_;
    bool initialised_ = false;
};

}  // namespace brenmoor::config::sheet
