// A template of every control kind built onto a widget: identifiers and kinds, rectangles,
// tab order, the radio group rule (two groups, two buttons checked at the start), the edit
// entry rules, drop-down lists and the frames beneath their contents.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "res/dialog_builder.h"
#include "res/dialog_controls.h"
#include "res/read_only_text_view.h"

using namespace brenmoor::res;

namespace {

enum Id {
    kOk = 1,
    kCancel = 2,
    kCheck = 10,
    kLeftCheck = 11,
    kRadioA1 = 20,
    kRadioA2 = 21,
    kRadioB1 = 22,
    kRadioB2 = 23,
    kDigits = 30,
    kFull = 31,
    kScrolling = 32,
    kReadOnly = 33,
    kText = 40,
    kNotes = 41,
    kList = 50,
    kGreyed = 60,
};

DialogTemplate sampleTemplate()
{
    DialogTemplate t;
    t.caption = "Sample";
    t.widthDlu = 200;
    t.heightDlu = 150;
    t.controls = {
        control(kOk, ControlKind::DefaultPushButton, "OK", {10, 130, 50, 14}),
        control(kCancel, ControlKind::PushButton, "Cancel", {70, 130, 50, 14}),
        {kList, ControlKind::DropDownList, "", {10, 10, 60, 50}, kStyleVScrollBar, {"one", "two", "three"}},
        control(kCheck, ControlKind::CheckBox, "Check", {80, 10, 40, 10}),
        control(kLeftCheck, ControlKind::CheckBox, "Left", {130, 10, 40, 12}, kStyleTextLeft | kStyleRightAlign),
        control(kNoId, ControlKind::GroupBox, "Frame", {2, 2, 196, 60}),
        control(kRadioA1, ControlKind::RadioButton, "A1", {10, 30, 30, 10}, kStyleGroupStart),
        control(kNoId, ControlKind::Label, "between", {45, 30, 30, 8}),
        control(kRadioA2, ControlKind::RadioButton, "A2", {80, 30, 30, 10}),
        control(kRadioB1, ControlKind::RadioButton, "B1", {10, 45, 30, 10}, kStyleGroupStart),
        control(kRadioB2, ControlKind::RadioButton, "B2", {80, 45, 30, 10}),
        control(kDigits, ControlKind::Edit, "", {10, 70, 60, 14}, kStyleDigitsOnly | kStyleAutoHScroll | kStyleBorder),
        control(kFull, ControlKind::Edit, "", {80, 70, 15, 14}, kStyleDigitsOnly | kStyleBorder),
        control(kScrolling, ControlKind::Edit, "", {100, 70, 15, 14}, kStyleDigitsOnly | kStyleAutoHScroll | kStyleBorder),
        control(kReadOnly, ControlKind::Edit, "", {120, 70, 40, 14}, kStyleReadOnly | kStyleAutoHScroll),
        control(kText, ControlKind::MultiLineEdit, "", {10, 90, 120, 35},
                kStyleReadOnly | kStyleAutoHScroll | kStyleHScrollBar | kStyleVScrollBar | kStyleBorder),
        control(kNotes, ControlKind::MultiLineEdit, "", {140, 90, 50, 35}, kStyleReadOnly | kStyleVScrollBar),
        control(kGreyed, ControlKind::PushButton, "Greyed", {140, 130, 50, 14}, kStyleDisabled),
    };
    return t;
}

}  // namespace

class DialogBuilderTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void parentTakesCaptionFontAndSize();
    void identifiersGiveTheirKindOnly();
    void controlsSitAtTheirRectangles();
    void dropDownListKeepsNaturalHeightAndListLength();
    void tabOrderIsTemplateOrder();
    void clickClearsOnlyItsOwnGroup();
    void clickOnCheckedButtonKeepsIt();
    void editEntryRules();
    void controlStyles();
    void dropDownListAnnouncesOpening();
    void frameLetsClicksThrough();
    void captionTooWideForItsRectangleGrowsItsControl();

private:
    DialogTemplate template_ = sampleTemplate();
    QWidget* parent_ = nullptr;
    std::unique_ptr<BuiltDialog> built_;
};

void DialogBuilderTest::init()
{
    parent_ = new QWidget;
    built_ = std::make_unique<BuiltDialog>(buildDialog(template_, parent_));
    parent_->show();
    QVERIFY(QTest::qWaitForWindowExposed(parent_));
}

void DialogBuilderTest::cleanup()
{
    built_.reset();
    delete parent_;
}

void DialogBuilderTest::parentTakesCaptionFontAndSize()
{
    QCOMPARE(parent_->windowTitle(), QString("Sample"));
    QCOMPARE(parent_->font().pointSize(), 8);
    QCOMPARE(parent_->size(), built_->units().toPixels(200, 150));
    QCOMPARE(built_->size(), parent_->size());
    // The face is installed and found, not replaced by a wider one, and gives the units the
    // layouts were drawn for.
    QCOMPARE(QFontInfo(parent_->font()).family(), QString::fromStdString(template_.fontFace));
    QCOMPARE(built_->units().baseX(), 6);
    QCOMPARE(built_->units().baseY(), 13);
}

void DialogBuilderTest::identifiersGiveTheirKindOnly()
{
    QVERIFY(built_->button(kOk));
    QVERIFY(built_->checkBox(kCheck));
    QVERIFY(built_->radioButton(kRadioB2));
    QVERIFY(built_->edit(kDigits));
    QVERIFY(built_->textView(kText));
    QVERIFY(built_->multiLineEdit(kNotes));
    QVERIFY(!built_->multiLineEdit(kText));
    QVERIFY(!built_->textView(kNotes));
    QVERIFY(built_->dropDownList(kList));
    QVERIFY(!built_->checkBox(kOk));
    QVERIFY(!built_->edit(kText));
    QVERIFY(!built_->button(kList));
    QVERIFY(!built_->control(999));
    QCOMPARE(built_->controls().size(), template_.controls.size());
    QVERIFY(qobject_cast<QGroupBox*>(built_->controls()[5]));
    QCOMPARE(qobject_cast<QLabel*>(built_->controls()[7])->text(), QString("between"));
    for (QWidget* w : built_->controls())
        QCOMPARE(w->parentWidget(), parent_);
}

void DialogBuilderTest::controlsSitAtTheirRectangles()
{
    const DialogUnits& units = built_->units();
    for (std::size_t i = 0; i < template_.controls.size(); ++i) {
        const ControlTemplate& control = template_.controls[i];
        if (control.kind == ControlKind::DropDownList)
            continue;
        QCOMPARE(built_->controls()[i]->geometry(), units.toPixels(control.rect));
    }
}

void DialogBuilderTest::dropDownListKeepsNaturalHeightAndListLength()
{
    DropDownList* list = built_->dropDownList(kList);
    const QRect full = built_->units().toPixels(DluRect{10, 10, 60, 50});
    QCOMPARE(list->geometry().topLeft(), full.topLeft());
    QCOMPARE(list->width(), full.width());
    QCOMPARE(list->height(), list->sizeHint().height());
    QVERIFY(list->height() < full.height());
    // The rest of the rectangle holds this many entries of one font height each.
    QCOMPARE(list->maxVisibleItems(), (full.height() - list->height()) / built_->units().baseY());
    QVERIFY(list->maxVisibleItems() >= 1);
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->itemText(2), QString("three"));
    QVERIFY(!list->isEditable());
    QCOMPARE(list->view()->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
}

void DialogBuilderTest::tabOrderIsTemplateOrder()
{
    const QList<QWidget*> expected = {built_->control(kOk),       built_->control(kCancel),   built_->control(kList),
                                      built_->control(kCheck),    built_->control(kLeftCheck), built_->control(kRadioA1),
                                      built_->control(kRadioA2),  built_->control(kRadioB1),  built_->control(kRadioB2),
                                      built_->control(kDigits),   built_->control(kFull),     built_->control(kScrolling),
                                      built_->control(kReadOnly), built_->control(kText),     built_->control(kNotes)};
    // The greyed button is skipped by Tab, the chain returns to the first control.
    built_->control(kOk)->setFocus();
    for (int i = 1; i <= expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), expected[i % expected.size()]);
    }
}

void DialogBuilderTest::clickClearsOnlyItsOwnGroup()
{
    QRadioButton* a1 = built_->radioButton(kRadioA1);
    QRadioButton* a2 = built_->radioButton(kRadioA2);
    QRadioButton* b1 = built_->radioButton(kRadioB1);
    QRadioButton* b2 = built_->radioButton(kRadioB2);
    // Settings may ask for two buttons of one group at the start.
    a1->setChecked(true);
    a2->setChecked(true);
    b1->setChecked(true);
    QVERIFY(a1->isChecked() && a2->isChecked() && b1->isChecked());

    // Each button sees its group settled by the time its click is reported.
    bool a2StillCheckedAtClick = true;
    connect(a1, &QRadioButton::clicked, this, [&] { a2StillCheckedAtClick = a2->isChecked(); });
    QTest::mouseClick(a1, Qt::LeftButton);
    QVERIFY(a1->isChecked());
    QVERIFY(!a2->isChecked());
    QVERIFY(!a2StillCheckedAtClick);
    QVERIFY(b1->isChecked());

    QTest::mouseClick(b2, Qt::LeftButton);
    QVERIFY(b2->isChecked());
    QVERIFY(!b1->isChecked());
    QVERIFY(a1->isChecked());
}

void DialogBuilderTest::clickOnCheckedButtonKeepsIt()
{
    QRadioButton* a1 = built_->radioButton(kRadioA1);
    QTest::mouseClick(a1, Qt::LeftButton);
    QSignalSpy toggled(a1, &QRadioButton::toggled);
    QTest::mouseClick(a1, Qt::LeftButton);
    QTest::keyClick(a1, Qt::Key_Space);
    QVERIFY(a1->isChecked());
    QCOMPARE(toggled.count(), 0);
}

void DialogBuilderTest::editEntryRules()
{
    QLineEdit* digits = built_->edit(kDigits);
    QTest::keyClicks(digits, "1a2-b3 ");
    QCOMPARE(digits->text(), QString("123"));

    // Two boxes of one width: the one without sideways scrolling stops when full.
    QLineEdit* full = built_->edit(kFull);
    QLineEdit* scrolling = built_->edit(kScrolling);
    QCOMPARE(full->width(), scrolling->width());
    QTest::keyClicks(full, "123456789");
    QTest::keyClicks(scrolling, "123456789");
    QCOMPARE(scrolling->text(), QString("123456789"));
    QVERIFY(!full->text().isEmpty());
    QVERIFY(full->text().size() < 9);
    QVERIFY(QString("123456789").startsWith(full->text()));
    QVERIFY(full->fontMetrics().horizontalAdvance(full->text()) < full->width());
    // Once full, deleting makes room again.
    const QString before = full->text();
    QTest::keyClick(full, Qt::Key_Backspace);
    QTest::keyClick(full, Qt::Key_7);
    QCOMPARE(full->text(), before.left(before.size() - 1) + "7");

    QLineEdit* readOnly = built_->edit(kReadOnly);
    QVERIFY(readOnly->isReadOnly());
    QTest::keyClicks(readOnly, "42");
    QVERIFY(readOnly->text().isEmpty());
}

void DialogBuilderTest::controlStyles()
{
    QVERIFY(built_->button(kOk)->isDefault());
    QVERIFY(!built_->button(kCancel)->isDefault());
    QVERIFY(!built_->control(kGreyed)->isEnabled());
    QVERIFY(built_->control(kCancel)->isEnabled());
    QCOMPARE(built_->checkBox(kLeftCheck)->layoutDirection(), Qt::RightToLeft);
    QCOMPARE(built_->checkBox(kCheck)->layoutDirection(), Qt::LeftToRight);
    QVERIFY(built_->edit(kDigits)->hasFrame());
    QVERIFY(!built_->edit(kReadOnly)->hasFrame());

    // A read-only box that scrolls sideways is a text view with both bars and a frame; one
    // without sideways scrolling stays an editor that breaks lines at its edge.
    ReadOnlyTextView* text = built_->textView(kText);
    QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(text->frameShape() != QFrame::NoFrame);
    QPlainTextEdit* notes = built_->multiLineEdit(kNotes);
    QVERIFY(notes->isReadOnly());
    QCOMPARE(notes->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(notes->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(notes->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(notes->frameShape(), QFrame::NoFrame);

    // A check box toggles itself on a click anywhere in its rectangle, also far from its
    // box and text.
    QCheckBox* check = built_->checkBox(kCheck);
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(check->isChecked());
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(!check->isChecked());
    QCheckBox* left = built_->checkBox(kLeftCheck);
    QTest::mouseClick(left, Qt::LeftButton, {}, QPoint(1, left->height() / 2));
    QVERIFY(left->isChecked());
    QRadioButton* radio = built_->radioButton(kRadioA2);
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(radio->width() - 1, radio->height() / 2));
    QVERIFY(radio->isChecked());
}

void DialogBuilderTest::dropDownListAnnouncesOpening()
{
    DropDownList* list = built_->dropDownList(kList);
    int countAtOpening = -1;
    connect(list, &DropDownList::aboutToDropDown, this, [&] {
        countAtOpening = list->count();
        list->addItem("four");
        list->setCurrentIndex(3);
    });
    QSignalSpy spy(list, &DropDownList::aboutToDropDown);
    QTest::keyClick(list, Qt::Key_F4);
    QCOMPARE(spy.count(), 1);
    // The handler ran before the list opened, and the list opened on its choice.
    QCOMPARE(countAtOpening, 3);
    QVERIFY(list->view()->isVisible());
    QCOMPARE(list->view()->currentIndex().row(), 3);
    list->hidePopup();
}

void DialogBuilderTest::frameLetsClicksThrough()
{
    // The frame follows the controls inside it in the template, yet they get the clicks.
    QWidget* check = built_->control(kCheck);
    QCOMPARE(parent_->childAt(check->geometry().center()), check);
    QTest::mouseClick(parent_->windowHandle(), Qt::LeftButton, {}, check->geometry().center());
    QVERIFY(built_->checkBox(kCheck)->isChecked());
    QWidget* frame = built_->controls()[5];
    QCOMPARE(parent_->childAt(frame->geometry().topLeft() + QPoint(2, 2)), nullptr);
}

void DialogBuilderTest::captionTooWideForItsRectangleGrowsItsControl()
{
    DialogTemplate t;
    t.widthDlu = 200;
    t.heightDlu = 80;
    t.controls = {
        control(kNoId, ControlKind::Label, "Flow Control:", {100, 5, 4, 8}),
        control(kNoId, ControlKind::Label, "Flow Control:", {100, 20, 4, 8}, kStyleRightAlign),
        control(kNoId, ControlKind::Label, "Flow Control:", {100, 35, 4, 16}, kStyleWordWrap),
        control(kNoId, ControlKind::Label, "Flow", {100, 50, 60, 8}),
        control(1, ControlKind::RadioButton, "Flow Control", {10, 5, 20, 10}),
        control(2, ControlKind::CheckBox, "Flow Control", {10, 20, 20, 10}, kStyleTextLeft | kStyleRightAlign),
        control(3, ControlKind::PushButton, "Flow Control", {10, 35, 10, 14}),
    };
    QWidget parent;
    const BuiltDialog built = buildDialog(t, &parent);
    const auto placed = [&](std::size_t i) { return built.units().toPixels(t.controls[i].rect); };
    const auto geometry = [&](std::size_t i) { return built.controls()[i]->geometry(); };
    const int needed = parent.fontMetrics().horizontalAdvance("Flow Control:");
    QVERIFY(needed > placed(0).width());

    // Left-aligned grows to the right, right-aligned to the left.
    QCOMPARE(geometry(0), QRect(placed(0).topLeft(), QSize(needed, placed(0).height())));
    QCOMPARE(geometry(1).right(), placed(1).right());
    QCOMPARE(geometry(1).width(), needed);
    // A label that breaks its lines, or whose text fits, keeps its rectangle.
    QCOMPARE(geometry(2), placed(2));
    QCOMPARE(geometry(3), placed(3));

    // Buttons with a box: the caption gets all the room it needs beside the box.
    const int captionWidth = parent.fontMetrics().horizontalAdvance("Flow Control");
    QCOMPARE(geometry(4).topLeft(), placed(4).topLeft());
    QVERIFY(geometry(4).width() > placed(4).width());
    QCOMPARE(captionRoom(built.radioButton(1)), captionWidth);
    QCOMPARE(geometry(5).right(), placed(5).right());
    QCOMPARE(captionRoom(built.checkBox(2)), captionWidth);
    // Push buttons keep their rectangle.
    QCOMPARE(geometry(6), placed(6));
}

QTEST_MAIN(DialogBuilderTest)
#include "dialog_builder_test.moc"
