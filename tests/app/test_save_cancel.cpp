#include "WindowBench.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace mz::test {
namespace {

std::string Interval(const std::string& value) {
    return "[MONITOR]\r\nintervalo=" + value + "\r\n";
}

// A window started up with the interval file saying 10 and then brought on screen.
class SettingsWindow : public testing::Test {
protected:
    void SetUp() override {
        WriteBytes(bench.IntervalPath(), Interval("10"));
        bench.Create();
        bench.StartUp();
        bench.BringUp();
    }
    TFrmInicio& Window() { return *bench.window; }
    void Click(const char* button) {
        Window().findChild<QPushButton*>(QString::fromUtf8(button))->click();
        // A refusal's box comes up once the click has been handled.
        bench.Settle();
    }

    WindowBench bench;
};

struct SaveCase {
    const char* name;
    QString typed;
    std::optional<std::string> savedValue; // none: the file is left as it was
    QStringList expectedErrors;
};

class Save : public SettingsWindow, public testing::WithParamInterface<SaveCase> {};

TEST_P(Save, WritesTheTypedTextOrRefusesAboveThirty) {
    const SaveCase& c = GetParam();
    bench.SetFieldText(c.typed);
    Click("btnBtnSalvar");
    EXPECT_EQ(TryReadBytes(bench.IntervalPath()), Interval(c.savedValue.value_or("10")));
    EXPECT_EQ(bench.errors, c.expectedErrors);
    EXPECT_EQ(bench.FieldText(), c.typed);
    const bool saved = c.savedValue.has_value();
    EXPECT_EQ(Window().isVisible(), !saved);
    EXPECT_EQ(Window().Core().Window().WindowShown(), !saved);
    EXPECT_EQ(bench.markShownDuringSleep, saved);
    EXPECT_EQ(bench.sleeper.Sleeps(),
              saved ? std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(400)}
                    : std::vector<std::chrono::milliseconds>{});
    EXPECT_FALSE(Window().findChild<QLabel*>(QStringLiteral("ImgOK"))->isVisibleTo(&Window()));
}

INSTANTIATE_TEST_SUITE_P(
    Window, Save,
    testing::Values(SaveCase{"Thirty", "30", "30", {}}, SaveCase{"Five", "5", "5", {}},
                    SaveCase{"ThirtyOne", "31", std::nullopt, {"Intervalo maximo de 30 minutos."}},
                    SaveCase{
                        "HexAboveThirty", "$20", std::nullopt, {"Intervalo maximo de 30 minutos."}},
                    SaveCase{"BelowRangeKeptAsTyped", "3", "3", {}}, SaveCase{"Zero", "0", "0", {}},
                    SaveCase{"Negative", "-2", "-2", {}}, SaveCase{"Empty", "", "", {}},
                    SaveCase{"LeadingZeros", "007", "007", {}},
                    SaveCase{"Pasted", "abc", "abc", {}}),
    [](const testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

TEST_F(SettingsWindow, SavedValueBelowRangeDrivesTheCycleAndIsRaisedAtTheNextStart) {
    int tests = 0;
    bench.AttachDataModule([] {},
                           [&] {
                               ++tests;
                               return true;
                           });
    bench.SetFieldText("3");
    Click("btnBtnSalvar");
    for (int tick = 1; tick <= 3; ++tick) {
        Window().tmrTempoTimer();
    }
    EXPECT_EQ(tests, 1);

    bench.window.reset();
    bench.Create();
    EXPECT_EQ(bench.FieldText(), QStringLiteral("5"));
    EXPECT_EQ(TryReadBytes(bench.IntervalPath()), Interval("3"));
}

TEST_F(SettingsWindow, SaveToAReadOnlyFileShowsTheWriteErrorAndKeepsTheWindow) {
    bench.window.reset();
    bench.Create(bench.readOnlyFiles);
    bench.StartUp();
    bench.BringUp();
    bench.SetFieldText("20");
    Click("btnBtnSalvar");
    EXPECT_EQ(bench.errors, QStringList{QString::fromStdString("Unable to write to " +
                                                               bench.IntervalPath() + ".")});
    EXPECT_TRUE(bench.sleeper.Sleeps().empty());
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(TryReadBytes(bench.IntervalPath()), Interval("10"));
}

TEST_F(SettingsWindow, EnterAndReturnOnAFocusedButtonRunIt) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        bench.BringUp();
        bench.SetFieldText("12");
        auto* save = Window().findChild<QPushButton*>(QStringLiteral("btnBtnSalvar"));
        save->setFocus();
        QTest::keyClick(save, key);
        EXPECT_EQ(TryReadBytes(bench.IntervalPath()), Interval("12"));
        EXPECT_FALSE(Window().Core().Window().WindowShown());

        bench.BringUp();
        bench.SetFieldText("20");
        auto* cancel = Window().findChild<QPushButton*>(QStringLiteral("btnBtnCancelar"));
        cancel->setFocus();
        QTest::keyClick(cancel, key);
        EXPECT_EQ(bench.FieldText(), QStringLiteral("12"));
        EXPECT_FALSE(Window().Core().Window().WindowShown());
    }
    EXPECT_TRUE(bench.errors.isEmpty());
}

struct CancelCase {
    const char* name;
    std::optional<std::string> fileAtCancel; // none: the file was deleted
    QString expectedField;
};

class Cancel : public SettingsWindow, public testing::WithParamInterface<CancelCase> {};

TEST_P(Cancel, ShowsTheSavedValueAgainAndTouchesNoFile) {
    const CancelCase& c = GetParam();
    bench.SetFieldText("22");
    if (c.fileAtCancel) {
        WriteBytes(bench.IntervalPath(), *c.fileAtCancel);
    } else {
        std::filesystem::remove(bench.IntervalPath());
    }
    Click("btnBtnCancelar");
    EXPECT_EQ(bench.FieldText(), c.expectedField);
    EXPECT_EQ(TryReadBytes(bench.IntervalPath()), c.fileAtCancel);
    EXPECT_FALSE(Window().isVisible());
    EXPECT_FALSE(Window().Core().Window().WindowShown());
    EXPECT_TRUE(bench.errors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Window, Cancel,
                         testing::Values(CancelCase{"SavedValue", Interval("10"), "10"},
                                         CancelCase{"SavedAboveRange", Interval("45"), "30"},
                                         CancelCase{"SavedBelowRange", Interval("3"), "5"},
                                         CancelCase{"Unreadable", Interval("x"), "5"},
                                         CancelCase{"FileDeleted", std::nullopt, "5"}),
                         [](const testing::TestParamInfo<CancelCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(SettingsWindow, NeitherCommandChangesTheCount) {
    Window().tmrTempoTimer();
    Window().tmrTempoTimer();
    Click("btnBtnCancelar");
    EXPECT_EQ(Window().Core().MinuteCounter(), 2);
    bench.BringUp();
    Click("btnBtnSalvar");
    EXPECT_EQ(Window().Core().MinuteCounter(), 2);
}

} // namespace
} // namespace mz::test
