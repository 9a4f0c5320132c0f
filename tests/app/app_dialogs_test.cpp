// The Write Delay dialog, the About box and the message boxes.

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <QTimer>
#include <atomic>
#include <fstream>
#include <thread>

#include "app/about_dialog.h"
#include "app/file_dialogs.h"
#include "app/qt_message_sink.h"
#include "app_test_support.h"
#include "config/write_delay.h"
#include "console/write_delay_dialog.h"
#include "res/app_dialog_templates.h"
#include "support/recording_message_sink.h"
#include "support/temp_dir.h"

using namespace brenmoor;

namespace {

QPushButton* buttonLabelled(QWidget& dialog, const QString& text) {
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
        if (b->text() == text) return b;
    }
    return nullptr;
}

QStringList labelTexts(QWidget& dialog) {
    QStringList texts;
    for (QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    return texts;
}

// The names the file dialog's list shows.
QStringList listedNames(QFileDialog& dialog) {
    QStringList names;
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    const QModelIndex root = list->rootIndex();
    for (int row = 0; row < list->model()->rowCount(root); ++row) names << list->model()->index(row, 0, root).data().toString();
    return names;
}

// Answers every message box that comes up, with `answer`, and keeps its text: a box a
// test does not expect is then a failed comparison, not a test that hangs.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QMessageBox::StandardButton answer) : answer_(answer) {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            texts << box->text();
            box->button(box->button(answer_) != nullptr ? answer_ : QMessageBox::Ok)->click();
        });
        poll_.start(5);
    }
    QStringList texts;

private:
    QMessageBox::StandardButton answer_;
    QTimer poll_;
};

// Replaces the name in the dialog's name box with `typed` and presses Enter there.
void typeName(QFileDialog& dialog, const QString& typed) {
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    name->selectAll();
    QTest::keyClicks(name, typed.isEmpty() ? QString() : typed);
    if (typed.isEmpty()) QTest::keyClick(name, Qt::Key_Delete);
    QTest::keyClick(name, Qt::Key_Return);
}

}  // namespace

class AppDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void writeDelayLayout();
    void writeDelayShowsTenAtStart();
    void writeDelayEntry_data();
    void writeDelayEntry();
    void writeDelayCancelKeepsValue();
    void writeDelayDialogThatCannotBeShown();
    void configFileDialogs_data();
    void configFileDialogs();
    void allFilesListsNamesWithoutDot();
    void typedPatternFiltersTheList_data();
    void typedPatternFiltersTheList();
    void saveAddsTheSuffixAndAsksBeforeReplacing_data();
    void saveAddsTheSuffixAndAsksBeforeReplacing();
    void aboutBox();
    void messageBoxLooks_data();
    void messageBoxLooks();
    void messageFromWorkerBlocksUntilShownOnWindowThread();
    void messageOnWindowThreadShownDirectly();
};

void AppDialogsTest::writeDelayLayout() {
    config::WriteDelay delay;
    console::CWriteDelayDlg dialog(delay);
    QVERIFY(dialog.isComplete());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Write Delay"));
    QCOMPARE(labelTexts(dialog), (QStringList{"Enter the required delay", "msecs"}));
    QVERIFY(buttonLabelled(dialog, "OK")->isDefault());
    QVERIFY(buttonLabelled(dialog, "Cancel") != nullptr);
    QCOMPARE(dialog.delayEdit()->maxLength(), 4);
}

void AppDialogsTest::writeDelayShowsTenAtStart() {
    test::StartedApp run;
    QVERIFY(run.started());
    console::CWriteDelayDlg dialog(run.app().tables().m_strWriteDelay);
    QCOMPARE(dialog.delayEdit()->text(), QStringLiteral("10"));
}

void AppDialogsTest::writeDelayEntry_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("milliseconds");
    QTest::newRow("letters refused") << "a2b5c" << "25" << 25;
    QTest::newRow("fifth digit refused") << "12345" << "1234" << 1234;
    QTest::newRow("largest") << "9999" << "9999" << 9999;
    QTest::newRow("empty is no delay") << "" << "" << 0;
    QTest::newRow("signs refused") << "-7+" << "7" << 7;
}

void AppDialogsTest::writeDelayEntry() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, milliseconds);
    config::WriteDelay delay;
    delay.setText("10");
    console::CWriteDelayDlg dialog(delay);
    dialog.show();
    QLineEdit* edit = dialog.delayEdit();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
    QTest::mouseClick(buttonLabelled(dialog, "OK"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(QString::fromStdString(delay.text()), shown);
    QCOMPARE(delay.milliseconds(), milliseconds);
}

void AppDialogsTest::writeDelayCancelKeepsValue() {
    config::WriteDelay delay;
    delay.setText("250");
    console::CWriteDelayDlg dialog(delay);
    dialog.show();
    QTest::keyClick(dialog.delayEdit(), Qt::Key_End);
    QTest::keyClicks(dialog.delayEdit(), "9");
    QCOMPARE(dialog.delayEdit()->text(), QStringLiteral("2509"));
    QTest::mouseClick(buttonLabelled(dialog, "Cancel"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(delay.text(), std::string("250"));
}

void AppDialogsTest::writeDelayDialogThatCannotBeShown() {
    res::DialogTemplate withoutEdit = res::writeDelayTemplate();
    std::erase_if(withoutEdit.controls, [](const res::ControlTemplate& c) { return c.id == res::kIdWriteDelayEdit; });
    config::WriteDelay delay;
    delay.setText("10");
    test::RecordingMessageSink messages;
    QCOMPARE(console::runWriteDelayCommand(delay, messages, withoutEdit), -1);
    const auto shown = messages.messages();
    QCOMPARE(shown.size(), std::size_t{1});
    QCOMPARE(shown[0].text, std::string("Unable to Open the delay Dialog"));
    QCOMPARE(shown[0].caption, std::string("Fandrel"));
    QVERIFY(shown[0].icon == platform::MessageIcon::Warning);
    QCOMPARE(delay.text(), std::string("10"));
}

void AppDialogsTest::configFileDialogs_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("acceptMode");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<bool>("confirmOverwrite");
    QTest::newRow("Load") << int(app::FileDialogKind::ConfigLoad) << int(QFileDialog::AcceptOpen)
                          << int(QFileDialog::ExistingFile) << true;
    QTest::newRow("Save") << int(app::FileDialogKind::ConfigSave) << int(QFileDialog::AcceptSave)
                          << int(QFileDialog::AnyFile) << true;
}

void AppDialogsTest::configFileDialogs() {
    QFETCH(int, kind);
    QFETCH(int, acceptMode);
    QFETCH(int, fileMode);
    QFETCH(bool, confirmOverwrite);
    app::ShellFileDialog dialog(static_cast<app::FileDialogKind>(kind));
    QCOMPARE(dialog.nameFilters(), (QStringList{"Text files (*.txt)", "All files (*.*)"}));
    QCOMPARE(dialog.defaultSuffix(), QStringLiteral("txt"));
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), QStringLiteral("*.txt"));
    QCOMPARE(int(dialog.acceptMode()), acceptMode);
    QCOMPARE(int(dialog.fileMode()), fileMode);
    QCOMPARE(!dialog.testOption(QFileDialog::DontConfirmOverwrite), confirmOverwrite);
}

void AppDialogsTest::allFilesListsNamesWithoutDot() {
    test::TempDir dir;
    std::ofstream(dir.file("ports.txt")) << "x";
    std::ofstream(dir.file("ports")) << "x";
    std::ofstream(dir.file("notes.log")) << "x";
    app::ShellFileDialog dialog(app::FileDialogKind::ConfigLoad);
    dialog.setDirectory(QString::fromStdString(dir.path().string()));
    dialog.show();
    QTRY_COMPARE(listedNames(dialog), (QStringList{"ports.txt"}));

    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QTest::keyClick(types, Qt::Key_Down);
    QCOMPARE(types->currentText(), QStringLiteral("All files (*.*)"));
    QTRY_COMPARE(listedNames(dialog).size(), 3);
    QVERIFY(listedNames(dialog).contains("ports"));
}

// The initial "*.txt", or any name with a wildcard, filters the list: confirming it names
// no file, raises no box and leaves the dialog open; a folder in front of it is opened.
void AppDialogsTest::typedPatternFiltersTheList_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("Load") << int(app::FileDialogKind::ConfigLoad);
    QTest::newRow("Save") << int(app::FileDialogKind::ConfigSave);
}

void AppDialogsTest::typedPatternFiltersTheList() {
    QFETCH(int, kind);
    test::TempDir dir;
    std::ofstream(dir.file("ports.txt")) << "x";
    std::ofstream(dir.file("notes.log")) << "x";
    std::filesystem::create_directory(dir.file("sub"));
    std::ofstream(dir.file("sub/other.log")) << "x";
    app::ShellFileDialog dialog(static_cast<app::FileDialogKind>(kind));
    dialog.setDirectory(QString::fromStdString(dir.path().string()));
    dialog.show();
    BoxAnswerer boxes(QMessageBox::Ok);
    QTRY_VERIFY(listedNames(dialog).contains("ports.txt"));

    typeName(dialog, "*.txt");
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(dialog.isVisible());
    typeName(dialog, "*.log");
    QTRY_VERIFY(listedNames(dialog).contains("notes.log"));
    QVERIFY(!listedNames(dialog).contains("ports.txt"));
    typeName(dialog, "sub/*.l?g");
    QTRY_COMPARE(listedNames(dialog), QStringList{"other.log"});
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), QStringLiteral("*.l?g"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(boxes.texts, QStringList{});
    // Nothing was made: no file named after the pattern.
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 3);
}

void AppDialogsTest::saveAddsTheSuffixAndAsksBeforeReplacing_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("asked");
    QTest::newRow("new name gets .txt") << "fresh" << int(QMessageBox::No) << true << "fresh.txt" << false;
    QTest::newRow("own extension kept") << "fresh.cfg" << int(QMessageBox::No) << true << "fresh.cfg" << false;
    QTest::newRow("existing, replace") << "ports" << int(QMessageBox::Yes) << true << "ports.txt" << true;
    QTest::newRow("existing, keep") << "ports.txt" << int(QMessageBox::No) << false << "" << true;
}

void AppDialogsTest::saveAddsTheSuffixAndAsksBeforeReplacing() {
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(bool, accepted);
    QFETCH(QString, chosen);
    QFETCH(bool, asked);
    test::TempDir dir;
    std::ofstream(dir.file("ports.txt")) << "x";
    app::ShellFileDialog dialog(app::FileDialogKind::ConfigSave);
    dialog.setDirectory(QString::fromStdString(dir.path().string()));
    dialog.show();
    BoxAnswerer boxes(static_cast<QMessageBox::StandardButton>(answer));
    typeName(dialog, typed);
    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    QCOMPARE(boxes.texts.size(), asked ? 1 : 0);
    if (asked) QVERIFY(boxes.texts[0].contains("ports.txt"));
    if (accepted) {
        QCOMPARE(dialog.selectedFiles(), QStringList{QString::fromStdString(dir.file(chosen.toStdString()).string())});
    } else {
        QVERIFY(dialog.isVisible());
    }
}

void AppDialogsTest::aboutBox() {
    app::CAboutDlg about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Application"));
    const QStringList lines = labelTexts(about);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.mid(0, 2), (QStringList{"UART PCI Card Test Application", "Version 1.4.0.0"}));
    QVERIFY(!lines[2].isEmpty());
    about.setModal(true);
    about.show();
    QTest::mouseClick(buttonLabelled(about, "OK"), Qt::LeftButton);
    QCOMPARE(about.result(), int(QDialog::Accepted));
    QVERIFY(!about.isVisible());
}

void AppDialogsTest::messageBoxLooks_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("warning");
    QTest::addColumn<bool>("owned");
    QTest::addColumn<QString>("shownCaption");
    QTest::addColumn<QString>("detail");
    QTest::newRow("default caption, warning, owned") << "" << true << true << "Brenmoor" << "";
    QTest::newRow("own caption, no icon, no owner") << "ERROR" << false << false << "ERROR" << "";
    QTest::newRow("with a reason") << "ERROR" << true << true << "ERROR" << "In use by another program: /dev/ttyS4";
}

void AppDialogsTest::messageBoxLooks() {
    QFETCH(QString, caption);
    QFETCH(bool, warning);
    QFETCH(bool, owned);
    QFETCH(QString, shownCaption);
    QFETCH(QString, detail);
    QWidget mainWindow;
    const platform::MessageBoxRequest request{"Unable to Write to the comm port", caption.toStdString(),
                                              warning ? platform::MessageIcon::Warning : platform::MessageIcon::None,
                                              owned ? platform::MessageOwner::MainWindow : platform::MessageOwner::None,
                                              detail.toStdString()};
    QWidget* presentedOwner = &mainWindow;
    app::QtMessageSink sink([&](const platform::MessageBoxRequest& r, QWidget* owner) {
        presentedOwner = owner;
        const auto box = app::makeMessageBox(r, owner);
        QCOMPARE(box->windowTitle(), shownCaption);
        QCOMPARE(box->text(), QStringLiteral("Unable to Write to the comm port"));
        QCOMPARE(box->informativeText(), detail);
        QCOMPARE(box->icon(), warning ? QMessageBox::Warning : QMessageBox::NoIcon);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box->parentWidget(), owner);
    });
    sink.setMainWindow(&mainWindow);
    sink.showMessage(request);
    QCOMPARE(presentedOwner, owned ? &mainWindow : nullptr);
}

void AppDialogsTest::messageFromWorkerBlocksUntilShownOnWindowThread() {
    std::atomic<bool> presented{false};
    std::atomic<bool> onWindowThread{false};
    std::atomic<bool> returnedAfterPresent{false};
    std::atomic<bool> workerDone{false};
    QThread* windowThread = QThread::currentThread();
    app::QtMessageSink sink([&](const platform::MessageBoxRequest&, QWidget*) {
        onWindowThread = QThread::currentThread() == windowThread;
        presented = true;
    });
    std::thread worker([&] {
        sink.showMessage({"Unable to Read to the comm port", "Read Error"});
        returnedAfterPresent = presented.load();
        workerDone = true;
    });
    QTRY_VERIFY(workerDone.load());
    worker.join();
    QVERIFY(onWindowThread);
    QVERIFY(returnedAfterPresent);
}

void AppDialogsTest::messageOnWindowThreadShownDirectly() {
    int shown = 0;
    app::QtMessageSink sink([&](const platform::MessageBoxRequest&, QWidget*) { ++shown; });
    sink.showMessage({"DEFAULT", "Error"});
    QCOMPARE(shown, 1);
}

QTEST_MAIN(AppDialogsTest)
#include "app_dialogs_test.moc"
