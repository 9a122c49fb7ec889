#include "TestClock.h"
#include "TestFiles.h"
#include "WindowBench.h"
#include "WindowlessView.h"
#include "mz/monitor/MonitorCore.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace mz {
namespace {

// The field on its own, stepping by a core's rules and counting its beeps.
class FieldBench {
public:
    FieldBench() {
        edit.Attach(core, [this] { ++beeps; });
        edit.resize(57, 21);
    }
    QLineEdit& Line() { return *edit.findChild<QLineEdit*>(); }
    void SetText(const QString& text) { Line().setText(text); }

    class NoView : public test::WindowlessView {
        bool IsActive() const override { return false; }
        std::string IntervalText() const override { return ""; }
        void ProcessMessages() override {}
        void ShowError(const std::string&) override {}
        void ShowStatus(const std::string&) override {}
    };
    test::TempDir dir;
    test::FixedClock clock;
    RegionalSettings regional;
    Services services{platform::SystemFileSystem(), clock, test::NoSleeper(), regional};
    NoView view;
    MonitorCore core{dir.Path(), services, view};
    TIntervalEdit edit;
    int beeps = 0;
};

struct TypingCase {
    const char* name;
    QString initial;
    std::function<void(QWidget&)> keys;
    QString expected;
    int expectedBeeps;
};

class FieldTyping : public testing::TestWithParam<TypingCase> {};

TEST_P(FieldTyping, AcceptsDigitsAndSignsOnlyAndCorrectsNothing) {
    const TypingCase& c = GetParam();
    FieldBench field;
    field.SetText(c.initial);
    c.keys(field.edit);
    EXPECT_EQ(field.edit.text(), c.expected);
    EXPECT_EQ(field.beeps, c.expectedBeeps);
}

void Type(QWidget& w, const char* text) {
    QTest::keyClicks(&w, QString::fromUtf8(text));
}

INSTANTIATE_TEST_SUITE_P(
    Field, FieldTyping,
    testing::Values(TypingCase{"Digits", "", [](QWidget& w) { Type(w, "007"); }, "007", 0},
                    TypingCase{"SignsAnywhere", "", [](QWidget& w) { Type(w, "+-5-"); }, "+-5-", 0},
                    TypingCase{"LetterRefused", "", [](QWidget& w) { Type(w, "1a2"); }, "12", 1},
                    TypingCase{"BlankAndSeparatorsRefused", "",
                               [](QWidget& w) { Type(w, "1 .2,"); }, "12", 3},
                    TypingCase{"AccentedLetterRefused", "3",
                               [](QWidget& w) {
                                   QKeyEvent press(QEvent::KeyPress, Qt::Key_Atilde, Qt::NoModifier,
                                                   QString::fromUtf8("\xC3\xA3"));
                                   QApplication::sendEvent(&w, &press);
                               },
                               "3", 1},
                    TypingCase{"BackspaceAccepted", "123",
                               [](QWidget& w) { QTest::keyClick(&w, Qt::Key_Backspace); }, "12", 0},
                    TypingCase{"AboveRangeKept", "", [](QWidget& w) { Type(w, "99"); }, "99", 0},
                    TypingCase{"EnterCorrectsNothing", "45",
                               [](QWidget& w) { QTest::keyClick(&w, Qt::Key_Return); }, "45", 0},
                    TypingCase{"PageKeysDoNothing", "10",
                               [](QWidget& w) {
                                   QTest::keyClick(&w, Qt::Key_PageUp);
                                   QTest::keyClick(&w, Qt::Key_PageDown);
                               },
                               "10", 0}),
    [](const testing::TestParamInfo<TypingCase>& info) { return std::string(info.param.name); });

TEST(Field, PastedTextIsNotFiltered) {
    FieldBench field;
    field.SetText("");
    QApplication::clipboard()->setText(QStringLiteral("abc 1.5"));
    QTest::keyClick(&field.edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field.edit.text(), QStringLiteral("abc 1.5"));
    EXPECT_EQ(field.beeps, 0);
    EXPECT_EQ(field.edit.Value(), 5);
}

TEST(Field, LeavingTheFieldCorrectsNothing) {
    FieldBench field;
    for (const QString& text :
         {QStringLiteral("45"), QStringLiteral("0"), QStringLiteral(""), QStringLiteral("-")}) {
        field.SetText(text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(&field.edit, &out);
        EXPECT_EQ(field.edit.text(), text);
    }
}

enum class Step {
    UpKey,
    DownKey,
    CtrlUpKey,
    CtrlDownKey,
    WheelUp,
    WheelDown,
    CtrlWheelUp,
    UpButton,
    DownButton
};

void Apply(TIntervalEdit& edit, Step step) {
    const auto click = [&edit](QStyle::SubControl control) {
        QStyleOptionSpinBox option;
        option.initFrom(&edit);
        option.rect = edit.rect();
        option.subControls = QStyle::SC_All;
        option.buttonSymbols = edit.buttonSymbols();
        option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
        option.frame = edit.hasFrame();
        const QRect button =
            edit.style()->subControlRect(QStyle::CC_SpinBox, &option, control, &edit);
        QTest::mouseClick(&edit, Qt::LeftButton, Qt::NoModifier, button.center());
    };
    const auto wheel = [&edit](int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF at(edit.width() / 2.0, edit.height() / 2.0);
        QWheelEvent event(at, edit.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&edit, &event);
    };
    switch (step) {
    case Step::UpKey:
        QTest::keyClick(&edit, Qt::Key_Up);
        break;
    case Step::DownKey:
        QTest::keyClick(&edit, Qt::Key_Down);
        break;
    case Step::CtrlUpKey:
        QTest::keyClick(&edit, Qt::Key_Up, Qt::ControlModifier);
        break;
    case Step::CtrlDownKey:
        QTest::keyClick(&edit, Qt::Key_Down, Qt::ControlModifier);
        break;
    case Step::CtrlWheelUp:
        wheel(120, Qt::ControlModifier);
        break;
    case Step::WheelUp:
        wheel(120);
        break;
    case Step::WheelDown:
        wheel(-120);
        break;
    case Step::UpButton:
        click(QStyle::SC_SpinBoxUp);
        break;
    case Step::DownButton:
        click(QStyle::SC_SpinBoxDown);
        break;
    }
}

struct StepCase {
    QString initial;
    Step step;
    QString expected;
};

class FieldSteppers : public testing::TestWithParam<StepCase> {};

TEST_P(FieldSteppers, ReadAddAndSetClamped) {
    FieldBench field;
    field.SetText(GetParam().initial);
    Apply(field.edit, GetParam().step);
    EXPECT_EQ(field.edit.text(), GetParam().expected);
    EXPECT_EQ(field.beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Field, FieldSteppers,
    testing::Values(StepCase{"10", Step::UpKey, "11"}, StepCase{"10", Step::DownKey, "9"},
                    StepCase{"30", Step::UpKey, "30"}, StepCase{"5", Step::DownKey, "5"},
                    StepCase{"3", Step::UpKey, "5"}, StepCase{"45", Step::DownKey, "30"},
                    StepCase{"007", Step::UpKey, "8"}, StepCase{"abc", Step::UpKey, "6"},
                    StepCase{"", Step::DownKey, "5"}, StepCase{"-7", Step::UpKey, "5"},
                    StepCase{"2147483647", Step::UpKey, "30"}, StepCase{"10", Step::WheelUp, "11"},
                    StepCase{"10", Step::WheelDown, "9"}, StepCase{"30", Step::WheelUp, "30"},
                    // With Ctrl the toolkit would step by ten; the field steps by one.
                    StepCase{"10", Step::CtrlUpKey, "11"}, StepCase{"10", Step::CtrlDownKey, "9"},
                    StepCase{"10", Step::CtrlWheelUp, "11"}, StepCase{"10", Step::UpButton, "11"},
                    StepCase{"10", Step::DownButton, "9"}, StepCase{"5", Step::DownButton, "5"},
                    StepCase{"45", Step::UpButton, "30"}));

TEST(Field, ValueSetByProgramIsClampedPlainDecimal) {
    FieldBench field;
    EXPECT_EQ(field.edit.text(), QStringLiteral("5"));
    const std::vector<std::pair<int, QString>> cases = {{0, "5"},   {3, "5"},   {17, "17"},
                                                        {30, "30"}, {45, "30"}, {-7, "5"}};
    for (const auto& [value, text] : cases) {
        field.edit.SetText(IntervalText(value));
        EXPECT_EQ(field.edit.text(), text) << value;
    }
}

} // namespace
} // namespace mz
