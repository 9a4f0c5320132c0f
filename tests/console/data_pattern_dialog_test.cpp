// The data pattern dialog over a port's record: how it opens, what OK, Cancel and the file
// choice store, and the input limit of the pattern box.
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <fstream>
#include <sys/stat.h>

#include "console/data_pattern_dialog.h"
#include "console/send_file_chooser.h"
#include "support/recording_message_sink.h"
#include "support/temp_dir.h"

using namespace brenmoor;
using console::CDataPatternDlg;

namespace {

class ScriptedChooser : public console::SendFileChooser {
public:
    std::optional<QString> chooseSendFile(QWidget*) override {
        ++calls;
        return answer;
    }
    std::optional<QString> answer;
    int calls = 0;
};

using Patterns = std::array<config::PortDataPattern, config::kPortCount>;

struct Flags {
    int quickBrown, alpha, file, user;
    bool operator==(const Flags&) const = default;
};

Flags flagsOf(const config::PortDataPattern& p) { return {p.nQuickBrown, p.nAlpha, p.nFile, p.nUserData}; }

void setFlags(config::PortDataPattern& p, Flags f) {
    p.nQuickBrown = f.quickBrown;
    p.nAlpha = f.alpha;
    p.nFile = f.file;
    p.nUserData = f.user;
}

void setFileData(config::PortDataPattern& p, const std::string& bytes) {
    std::copy(bytes.begin(), bytes.end(), p.FileData.begin());
    p.nFileDataLen = static_cast<std::int32_t>(bytes.size());
}

std::string fileDataOf(const config::PortDataPattern& p) {
    return std::string(p.FileData.begin(), p.FileData.begin() + p.nFileDataLen);
}

int checkedCount(const CDataPatternDlg& d) {
    int n = 0;
    for (QRadioButton* b : {d.quickBrownButton(), d.alphabetsButton(), d.userPatternButton(), d.fileButton()})
        n += b->isChecked() ? 1 : 0;
    return n;
}

QPushButton* buttonNamed(const QDialog& d, const QString& text) {
    for (QPushButton* b : d.findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

}  // namespace

Q_DECLARE_METATYPE(Flags)

class DataPatternDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void opensFromTheRecord_data();
    void opensFromTheRecord();
    void severalFlagsOpenCheckedAndAClickLeavesOne();
    void okStoresTheUserPatternCancelStoresNothing();
    void anotherChoiceKeepsTheStoredPattern();
    void inputStopsAtTheLimit();
    void longFileIsCutAndCommittedAtOnce();
    void cancelledFileChoiceKeepsTheOldData();
    void unreadableFileIsReportedAndTheOldDataKept_data();
    void unreadableFileIsReportedAndTheOldDataKept();

private:
    Patterns patterns_;
    ScriptedChooser chooser_;
    test::RecordingMessageSink messages_;
    // Holds a FIFO named like a pattern file.
    test::TempDir sendDir_;
};

void DataPatternDialogTest::initTestCase() {
    QCOMPARE(::mkfifo(sendDir_.file("pattern.txt").c_str(), 0600), 0);
}

void DataPatternDialogTest::init() {
    patterns_ = Patterns{};
    for (auto& p : patterns_) {
        setFlags(p, {0, 1, 0, 0});
        p.strUserPattern = "Yelk Corporation\r\n";
    }
    chooser_ = ScriptedChooser{};
    messages_.clear();
}

void DataPatternDialogTest::opensFromTheRecord_data() {
    QTest::addColumn<Flags>("flags");
    QTest::addColumn<bool>("editEnabled");
    QTest::newRow("user pattern") << Flags{0, 0, 0, 1} << true;
    QTest::newRow("alphabets") << Flags{0, 1, 0, 0} << false;
    QTest::newRow("quick brown") << Flags{1, 0, 0, 0} << false;
    QTest::newRow("file") << Flags{0, 0, 1, 0} << false;
}

void DataPatternDialogTest::opensFromTheRecord() {
    QFETCH(Flags, flags);
    QFETCH(bool, editEnabled);
    setFlags(patterns_[3], flags);
    patterns_[3].strUserPattern = "Hello\r\nWorld\r\n";
    CDataPatternDlg d(4, patterns_, chooser_, messages_);
    QCOMPARE(d.windowTitle(), QString("Data Pattern"));
    QCOMPARE(d.quickBrownButton()->isChecked(), flags.quickBrown == 1);
    QCOMPARE(d.alphabetsButton()->isChecked(), flags.alpha == 1);
    QCOMPARE(d.fileButton()->isChecked(), flags.file == 1);
    QCOMPARE(d.userPatternButton()->isChecked(), flags.user == 1);
    QCOMPARE(d.patternEdit()->isEnabled(), editEnabled);
    QCOMPARE(d.patternEdit()->toPlainText(), QString("Hello\nWorld\n"));
}

void DataPatternDialogTest::severalFlagsOpenCheckedAndAClickLeavesOne() {
    setFlags(patterns_[0], {1, 1, 0, 1});
    CDataPatternDlg d(1, patterns_, chooser_, messages_);
    d.show();
    QVERIFY(d.quickBrownButton()->isChecked());
    QVERIFY(d.alphabetsButton()->isChecked());
    QVERIFY(d.userPatternButton()->isChecked());
    QTest::mouseClick(d.alphabetsButton(), Qt::LeftButton);
    QCOMPARE(checkedCount(d), 1);
    QVERIFY(d.alphabetsButton()->isChecked());
    QVERIFY(!d.patternEdit()->isEnabled());
    QTest::mouseClick(buttonNamed(d, "OK"), Qt::LeftButton);
    QCOMPARE(flagsOf(patterns_[0]), (Flags{0, 1, 0, 0}));
}

void DataPatternDialogTest::okStoresTheUserPatternCancelStoresNothing() {
    for (const bool ok : {true, false}) {
        init();
        CDataPatternDlg d(2, patterns_, chooser_, messages_);
        d.show();
        QTest::mouseClick(d.userPatternButton(), Qt::LeftButton);
        QVERIFY(d.patternEdit()->isEnabled());
        d.patternEdit()->clear();
        QTest::keyClicks(d.patternEdit(), "abc");
        QTest::keyClick(d.patternEdit(), Qt::Key_Return);  // a new line, not OK
        QVERIFY(d.isVisible());
        QTest::keyClicks(d.patternEdit(), "def");
        QTest::mouseClick(buttonNamed(d, ok ? "OK" : "Cancel"), Qt::LeftButton);
        QVERIFY(!d.isVisible());
        if (ok) {
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QCOMPARE(flagsOf(patterns_[1]), (Flags{0, 0, 0, 1}));
            QCOMPARE(patterns_[1].strUserPattern, std::string("abc\r\ndef"));
        } else {
            QCOMPARE(d.result(), int(QDialog::Rejected));
            QCOMPARE(flagsOf(patterns_[1]), (Flags{0, 1, 0, 0}));
            QCOMPARE(patterns_[1].strUserPattern, std::string("Yelk Corporation\r\n"));
        }
        // Only the dialog's own port is touched.
        QCOMPARE(flagsOf(patterns_[0]), (Flags{0, 1, 0, 0}));
    }
}

void DataPatternDialogTest::anotherChoiceKeepsTheStoredPattern() {
    setFlags(patterns_[5], {0, 0, 0, 1});
    CDataPatternDlg d(6, patterns_, chooser_, messages_);
    d.show();
    QTest::keyClicks(d.patternEdit(), "edited");
    QTest::mouseClick(d.alphabetsButton(), Qt::LeftButton);
    QTest::mouseClick(buttonNamed(d, "OK"), Qt::LeftButton);
    QCOMPARE(flagsOf(patterns_[5]), (Flags{0, 1, 0, 0}));
    QCOMPARE(patterns_[5].strUserPattern, std::string("Yelk Corporation\r\n"));
}

void DataPatternDialogTest::inputStopsAtTheLimit() {
    setFlags(patterns_[0], {0, 0, 0, 1});
    {
        patterns_[0].strUserPattern.clear();
        CDataPatternDlg d(1, patterns_, chooser_, messages_);
        d.show();
        QTest::keyClicks(d.patternEdit(), QString(105, 'x'));
        QCOMPARE(d.patternEdit()->toPlainText(), QString(100, 'x'));
    }
    // 97 letters and a line break fill 99 of the 100; a second break no longer fits. A break
    // is stored as CR LF whichever key made it: Enter starts a paragraph, Shift+Enter a line
    // within it.
    for (const Qt::KeyboardModifier breakKey : {Qt::NoModifier, Qt::ShiftModifier}) {
        patterns_[0].strUserPattern.clear();
        CDataPatternDlg d(1, patterns_, chooser_, messages_);
        d.show();
        QTest::keyClicks(d.patternEdit(), QString(97, 'y'));
        QTest::keyClick(d.patternEdit(), Qt::Key_Return, breakKey);
        QTest::keyClick(d.patternEdit(), Qt::Key_Return, breakKey);
        QTest::keyClicks(d.patternEdit(), "zz");
        QCOMPARE(d.patternEdit()->toPlainText(), QString(97, 'y') + "\nz");
        QTest::mouseClick(buttonNamed(d, "OK"), Qt::LeftButton);
        QCOMPARE(patterns_[0].strUserPattern, std::string(97, 'y') + "\r\nz");
    }
    {
        // A longer stored text is shown whole and takes no more input.
        patterns_[0].strUserPattern = std::string(120, 'w') + "\r\n";
        CDataPatternDlg d(1, patterns_, chooser_, messages_);
        d.show();
        QCOMPARE(d.patternEdit()->toPlainText(), QString(120, 'w') + "\n");
        QTest::keyClicks(d.patternEdit(), "more");
        QCOMPARE(d.patternEdit()->toPlainText(), QString(120, 'w') + "\n");
    }
}

void DataPatternDialogTest::longFileIsCutAndCommittedAtOnce() {
    test::TempDir dir;
    std::string bytes(70000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 256);
    const auto path = dir.file("big.txt");
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

    chooser_.answer = QString::fromStdString(path.string());
    CDataPatternDlg d(8, patterns_, chooser_, messages_);
    d.show();
    QTest::mouseClick(d.fileButton(), Qt::LeftButton);
    QCOMPARE(chooser_.calls, 1);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(flagsOf(patterns_[7]), (Flags{0, 0, 1, 0}));
    QCOMPARE(patterns_[7].nFileDataLen, 60000);
    QVERIFY(fileDataOf(patterns_[7]) == bytes.substr(0, 60000));  // raw, zero bytes included
    QVERIFY(messages_.messages().empty());
}

void DataPatternDialogTest::cancelledFileChoiceKeepsTheOldData() {
    setFileData(patterns_[2], "hello");
    CDataPatternDlg d(3, patterns_, chooser_, messages_);
    d.show();
    QTest::mouseClick(d.fileButton(), Qt::LeftButton);
    QCOMPARE(chooser_.calls, 1);
    QVERIFY(d.isVisible());
    QVERIFY(d.fileButton()->isChecked());
    QVERIFY(!d.patternEdit()->isEnabled());
    QTest::mouseClick(buttonNamed(d, "OK"), Qt::LeftButton);
    QCOMPARE(flagsOf(patterns_[2]), (Flags{0, 0, 1, 0}));
    QCOMPARE(fileDataOf(patterns_[2]), std::string("hello"));
}

void DataPatternDialogTest::unreadableFileIsReportedAndTheOldDataKept_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::newRow("gone since it was chosen") << "/nonexistent/chosen.txt"
                                              << "Unable to open the file /nonexistent/chosen.txt";
    // Opens, but every read of its first page fails.
    QTest::newRow("read fails") << "/proc/self/mem" << "Unable to read the file /proc/self/mem";
    // Opening these for reading would block the window thread, or read for ever.
    const QString fifo = QString::fromStdString(sendDir_.file("pattern.txt").string());
    QTest::newRow("a FIFO") << fifo << "Unable to open the file " + fifo;
    QTest::newRow("a device") << "/dev/zero" << "Unable to open the file /dev/zero";
}

void DataPatternDialogTest::unreadableFileIsReportedAndTheOldDataKept() {
    QFETCH(QString, path);
    QFETCH(QString, message);
    setFileData(patterns_[4], "old data");
    chooser_.answer = path;
    CDataPatternDlg d(5, patterns_, chooser_, messages_);
    d.show();
    QTest::mouseClick(d.fileButton(), Qt::LeftButton);
    QCOMPARE(messages_.texts(), std::vector<std::string>{message.toStdString()});
    QCOMPARE(messages_.messages().front().caption, std::string("Error"));
    QVERIFY(messages_.messages().front().icon == platform::MessageIcon::Warning);
    QVERIFY(d.isVisible());
    QCOMPARE(flagsOf(patterns_[4]), (Flags{0, 1, 0, 0}));
    QCOMPARE(fileDataOf(patterns_[4]), std::string("old data"));
}

QTEST_MAIN(DataPatternDialogTest)
#include "data_pattern_dialog_test.moc"
