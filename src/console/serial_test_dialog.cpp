#include "console/serial_test_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "console/data_pattern_dialog.h"
#include "res/read_only_text_view.h"

namespace brenmoor::console {
namespace {

using engine::PanelControl;

constexpr Qt::WindowFlags kConsoleFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

void setChecked(QAbstractButton* button, bool checked) {
    if (button->isChecked() != checked) button->setChecked(checked);
}

void setText(QLineEdit* edit, const std::string& text) {
    const QString wanted = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    if (edit->text() != wanted) edit->setText(wanted);
}

}  // namespace

CSerialTestDlg::CSerialTestDlg(engine::EngineState& engine, SendFileChooser& files, QWidget* owner)
    : CScrollingDialog(owner, kConsoleFlags),
      engine_(engine),
      files_(files),
      actions_(engine),
      built_(res::buildDialog(res::testDialogTemplate(), content())) {
    setWindowTitle(content()->windowTitle());
    setFont(content()->font());
    complete_ = true;
    for (int port = 0; port < res::kTestDialogPanelCount; ++port) complete_ = bindPanel(port) && complete_;
    if (!complete_) return;

    initialiseFrame();
    for (int port = 0; port < res::kTestDialogPanelCount; ++port) connectPanel(port);

    repaintTimer_.setSingleShot(true);
    repaintTimer_.setInterval(kRepaintIntervalMs);
    connect(&repaintTimer_, &QTimer::timeout, this, &CSerialTestDlg::repaintChangedPanels);
    // Called on whichever thread changed the model, at most once per batch: it only posts.
    model_.setChangeListener([this] {
        QMetaObject::invokeMethod(this, [this] {
            if (!repaintTimer_.isActive()) repaintTimer_.start();
        }, Qt::QueuedConnection);
    });
    for (int port = 0; port < res::kTestDialogPanelCount; ++port) showPanel(port);
}

CSerialTestDlg::~CSerialTestDlg() {
    // Nothing may reach the panels once the window is gone.
    engine::ConsoleModel* self = &model_;
    engine_.g_pTestDlg.compare_exchange_strong(self, nullptr);
    model_.setChangeListener(nullptr);
}

bool CSerialTestDlg::bindPanel(int port) {
    const res::TestPanelIds& id = res::testPanelIds()[static_cast<std::size_t>(port)];
    Panel& p = panels_[static_cast<std::size_t>(port)];
    p.enable = built_.checkBox(id.enable);
    p.packetCount = built_.edit(id.packetCount);
    res::ReadOnlyTextView* sent = built_.textView(id.sentText);
    res::ReadOnlyTextView* received = built_.textView(id.receivedText);
    p.loopTest = built_.checkBox(id.loopTest);
    p.testForever = built_.radioButton(id.testForever);
    p.error = built_.radioButton(id.error);
    p.time = built_.radioButton(id.time);
    p.hours = built_.edit(id.hours);
    p.minutes = built_.edit(id.minutes);
    p.run = built_.button(id.run);
    p.stop = built_.button(id.stop);
    p.transfer = built_.button(id.transfer);
    if (!p.enable || !p.packetCount || !sent || !received || !p.loopTest || !p.testForever || !p.error ||
        !p.time || !p.hours || !p.minutes || !p.run || !p.stop || !p.transfer)
        return false;
    p.sent = std::make_unique<TrafficBox>(sent);
    p.received = std::make_unique<TrafficBox>(received);
    for (QPushButton* button : {p.run, p.stop, p.transfer}) button->setAutoDefault(false);
    // The count changes at every batch while the port runs. Filling its corners with the
    // dialog's own colour makes it opaque, so its repaint draws the box alone and not the
    // panel's frame beneath it.
    p.packetCount->setBackgroundRole(QPalette::Window);
    p.packetCount->setAutoFillBackground(true);
    return true;
}

void CSerialTestDlg::connectPanel(int port) {
    Panel& p = panels_[static_cast<std::size_t>(port)];
    connect(p.run, &QPushButton::clicked, this, [this, port] {
        actions_.RunClicked(port);
        afterClick();
    });
    connect(p.stop, &QPushButton::clicked, this, [this, port] {
        actions_.StopClicked(port);
        afterClick();
    });
    connect(p.transfer, &QPushButton::clicked, this, [this, port] { openDataPattern(port); });
    connect(p.enable, &QCheckBox::clicked, this, [this, port](bool checked) {
        model_.setEnableChecked(port, checked);
        afterClick();
    });
    connect(p.loopTest, &QCheckBox::clicked, this, [this, port](bool checked) {
        model_.setLoopTestChecked(port, checked);
        actions_.LoopTestClicked(port);
        afterClick();
    });
    const std::pair<QRadioButton*, engine::StopChoice> choices[] = {
        {p.testForever, engine::StopChoice::TestForever},
        {p.error, engine::StopChoice::Error},
        {p.time, engine::StopChoice::Time},
    };
    for (auto [button, choice] : choices) {
        connect(button, &QRadioButton::clicked, this, [this, port, choice = choice] {
            actions_.StopChoiceClicked(port, choice);
            afterClick();
        });
    }
    // What the operator types stays in the model, so a repaint shows it back unchanged.
    const auto storeTimes = [this, port] {
        const Panel& panel = panels_[static_cast<std::size_t>(port)];
        model_.setStopTimeTexts(port, panel.hours->text().toStdString(), panel.minutes->text().toStdString());
    };
    connect(p.hours, &QLineEdit::textEdited, this, storeTimes);
    connect(p.minutes, &QLineEdit::textEdited, this, storeTimes);
}

void CSerialTestDlg::afterClick() {
    // The operator sees the effect of a click at once, not with the next batch.
    repaintChangedPanels();
}

void CSerialTestDlg::repaintChangedPanels() {
    repaintTimer_.stop();
    const std::uint32_t changed = model_.takeChangedPorts();
    for (int port = 0; port < res::kTestDialogPanelCount; ++port)
        if (changed & (1u << port)) showPanel(port);
}

void CSerialTestDlg::showPanel(int port) {
    const engine::PanelState s = model_.panel(port);
    Panel& p = panels_[static_cast<std::size_t>(port)];
    const std::uint32_t bit = 1u << port;
    if (textsInView(p)) {
        p.sent->show(s.sentText);
        p.received->show(s.receivedText);
        textsBehind_ &= ~bit;
    } else {
        textsBehind_ |= bit;
    }
    setText(p.packetCount, s.packetCount);
    setChecked(p.enable, s.enableChecked);
    setChecked(p.loopTest, s.loopTestChecked);
    setChecked(p.testForever, s.testForeverChecked);
    setChecked(p.error, s.errorChecked);
    setChecked(p.time, s.timeChecked);
    setText(p.hours, s.hoursText);
    setText(p.minutes, s.minutesText);
    const std::pair<QWidget*, PanelControl> availability[] = {
        {p.run, PanelControl::Run},
        {p.stop, PanelControl::Stop},
        {p.transfer, PanelControl::Transfer},
        {p.loopTest, PanelControl::InternalLoopTest},
        {p.testForever, PanelControl::TestForever},
        {p.error, PanelControl::Error},
        {p.time, PanelControl::Time},
        {p.enable, PanelControl::Enable},
        {p.hours, PanelControl::Hours},
        {p.minutes, PanelControl::Minutes},
    };
    for (auto [widget, control] : availability) widget->setEnabled(s.isEnabled(control));
}

bool CSerialTestDlg::textsInView(const Panel& panel) const {
    if (!isVisible()) return false;
    const QRect view(-content()->pos(), clientSize());
    return view.intersects(panel.sent->view()->geometry()) || view.intersects(panel.received->view()->geometry());
}

void CSerialTestDlg::catchUpTexts() {
    if (!complete_ || textsBehind_ == 0) return;
    for (int port = 0; port < res::kTestDialogPanelCount; ++port) {
        const Panel& p = panels_[static_cast<std::size_t>(port)];
        if ((textsBehind_ & (1u << port)) && textsInView(p)) showPanel(port);
    }
}

void CSerialTestDlg::showEvent(QShowEvent* event) {
    CScrollingDialog::showEvent(event);
    catchUpTexts();
}

void CSerialTestDlg::visibleAreaChanged() { catchUpTexts(); }

void CSerialTestDlg::openDataPattern(int port) {
    CDataPatternDlg dialog(port + 1, engine_.tables.g_PortDataPattern, files_, engine_.messages, this);
    if (dialog.runModal() == -1) engine_.messages.showMessage({"Unable to Open User Defined Data Dialog", "Error"});
}

}  // namespace brenmoor::console
