#include "WindowBench.h"

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace mz::test {
namespace {

struct EscapeCase {
    const char* control;
    Qt::KeyboardModifiers modifiers;
};

class EscapeKey : public testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeKey, AnywhereInTheWindowAsksToQuit) {
    WindowBench bench;
    TFrmInicio& window = bench.Create();
    bench.SetFieldText("12");
    QWidget* target = window.findChild<QWidget*>(QString::fromUtf8(GetParam().control));
    if (target == nullptr) {
        target = &window;
    }
    QTest::keyClick(target, Qt::Key_Escape, GetParam().modifiers);
    // Asked for, not done: the request is taken out of the queue later.
    EXPECT_EQ(bench.quits, 0);
    EXPECT_FALSE(window.Ending());
    bench.Settle();
    EXPECT_EQ(bench.quits, 1);
    EXPECT_TRUE(window.Ending());
    EXPECT_EQ(bench.FieldText(), QStringLiteral("12"));
}

INSTANTIATE_TEST_SUITE_P(Window, EscapeKey,
                         testing::Values(EscapeCase{"EdtMinutos", Qt::NoModifier},
                                         EscapeCase{"qt_spinbox_lineedit", Qt::NoModifier},
                                         EscapeCase{"btnBtnSalvar", Qt::ShiftModifier},
                                         EscapeCase{"btnBtnCancelar", Qt::ControlModifier},
                                         EscapeCase{"window",
                                                    Qt::AltModifier | Qt::ShiftModifier}));

TEST(Window, OtherKeysDoNotQuit) {
    WindowBench bench;
    TFrmInicio& window = bench.Create();
    QTest::keyClick(&window.EdtMinutos(), Qt::Key_F4);
    QTest::keyClick(&window.EdtMinutos(), Qt::Key_Q, Qt::ControlModifier);
    bench.Settle();
    EXPECT_EQ(bench.quits, 0);
}

TEST(Window, CloseBoxAndTrayMenuAskToQuitAndKeepTheWindow) {
    WindowBench bench;
    TFrmInicio& window = bench.Create();
    bench.StartUp();
    bench.BringUp();
    EXPECT_FALSE(window.close());
    bench.Settle();
    EXPECT_EQ(bench.quits, 1);
    EXPECT_TRUE(window.isVisible());

    window.findChild<QAction*>(QStringLiteral("Fechar1"))->trigger();
    bench.Settle();
    EXPECT_EQ(bench.quits, 2);
}

// The real quit request, taken out of the queue while a test processes messages in its wait:
// the test runs to its end, then the main loop ends.
TEST(Window, QuitDuringATestTakesEffectWhenTheTestHasReturned) {
    WindowBench bench;
    bench.recordQuits = false;
    TFrmInicio& real = bench.Create();
    bench.SetFieldText("0");

    int passesAfterQuit = 0;
    bool testFinished = false;
    bench.AttachDataModule([] {},
                           [&] {
                               real.Core().Window().CloseRequested();
                               for (int pass = 0; pass < 3; ++pass) {
                                   real.ProcessMessages();
                                   ++passesAfterQuit;
                               }
                               testFinished = true;
                               return false;
                           });
    QTimer::singleShot(0, &real, &TFrmInicio::tmrTempoTimer);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(testFinished);
    EXPECT_EQ(passesAfterQuit, 3);
    EXPECT_EQ(bench.LogLines(), std::vector<std::string>{"Falha ao obter a resposta do zelnor"});
    EXPECT_TRUE(bench.errors.isEmpty());
}

} // namespace
} // namespace mz::test
