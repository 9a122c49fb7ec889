#include "WindowBench.h"

#include <QAction>
#include <QPushButton>
#include <gtest/gtest.h>

namespace mz::test {
namespace {

// A window started up (and so put into the tray by its first activation).
class Tray : public testing::Test {
protected:
    TFrmInicio& StartUp(bool trayAvailable) {
        bench.trayAvailable = trayAvailable;
        bench.Create();
        bench.StartUp();
        return *bench.window;
    }
    void Activate(QSystemTrayIcon::ActivationReason reason) {
        bench.window->IconeTrayActivated(reason);
        bench.Settle();
    }
    WindowBench bench;
};

TEST_F(Tray, StartUpLeavesOnlyTheIcon) {
    TFrmInicio& window = StartUp(true);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.Core().Window().WindowShown());
    EXPECT_FALSE(window.IsActive());
    EXPECT_TRUE(window.findChild<QSystemTrayIcon*>(QStringLiteral("IconeTray"))->isVisible());
}

TEST_F(Tray, WithoutATrayTheWindowOnlyMinimisesAndStaysReachable) {
    TFrmInicio& window = StartUp(false);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isMinimized());
    EXPECT_FALSE(window.Core().Window().WindowShown());
    EXPECT_FALSE(window.IsActive());
    window.Core().Window().ShowRequested();
    bench.Settle();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.Core().Window().WindowShown());
}

TEST_F(Tray, DoubleClickTogglesAndOtherClicksDoNothing) {
    TFrmInicio& window = StartUp(true);
    struct Step {
        QSystemTrayIcon::ActivationReason reason;
        bool expectedOnScreen;
    };
    const std::vector<Step> steps = {
        {QSystemTrayIcon::Trigger, false},     {QSystemTrayIcon::MiddleClick, false},
        {QSystemTrayIcon::Context, false},     {QSystemTrayIcon::DoubleClick, true},
        {QSystemTrayIcon::Trigger, true},      {QSystemTrayIcon::MiddleClick, true},
        {QSystemTrayIcon::DoubleClick, false}, {QSystemTrayIcon::DoubleClick, true},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        Activate(steps[i].reason);
        EXPECT_EQ(window.isVisible() && !window.isMinimized(), steps[i].expectedOnScreen) << i;
        EXPECT_EQ(window.Core().Window().WindowShown(), steps[i].expectedOnScreen) << i;
    }
}

TEST_F(Tray, ComingBackRestoresTheFocusedControl) {
    TFrmInicio& window = StartUp(true);
    bench.BringUp();
    auto* cancel = window.findChild<QPushButton*>(QStringLiteral("btnBtnCancelar"));
    cancel->setFocus();
    window.Core().Window().MinimiseRequested();
    bench.Settle();
    EXPECT_FALSE(window.IsActive());
    bench.BringUp();
    EXPECT_EQ(window.focusWidget(), cancel);
    EXPECT_TRUE(window.IsActive());
}

TEST_F(Tray, FirstActivationPutsTheFocusOnTheField) {
    TFrmInicio& window = StartUp(true);
    bench.BringUp();
    ASSERT_NE(window.focusWidget(), nullptr);
    EXPECT_TRUE(window.focusWidget() == &window.EdtMinutos() ||
                window.focusWidget()->parentWidget() == &window.EdtMinutos());
}

TEST_F(Tray, SettingsItemBringsTheWindowUpAndLeavesAShownWindowAlone) {
    TFrmInicio& window = StartUp(true);
    QAction* settings = window.findChild<QAction*>(QStringLiteral("Configuraes1"));
    settings->trigger();
    bench.Settle();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.Core().Window().WindowShown());
    const QRect where = window.geometry();
    settings->trigger();
    bench.Settle();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), where);
    Activate(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(Tray, MinimisingPutsTheWindowIntoTheTray) {
    TFrmInicio& window = StartUp(true);
    bench.BringUp();
    // As the window manager reports a click on the minimise button.
    window.setWindowState(Qt::WindowMinimized);
    bench.Settle();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.Core().Window().WindowShown());
    Activate(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
}

TEST_F(Tray, ActiveWindowSkipsTheDueTestAndRestartsTheCount) {
    TFrmInicio& window = StartUp(true);
    int tests = 0;
    bench.AttachDataModule([] {},
                           [&] {
                               ++tests;
                               return true;
                           });
    bench.BringUp();
    ASSERT_TRUE(window.IsActive());
    for (int tick = 1; tick <= 5; ++tick) {
        window.tmrTempoTimer();
    }
    EXPECT_EQ(tests, 0);
    EXPECT_EQ(window.Core().MinuteCounter(), 0);
    window.Core().Window().MinimiseRequested();
    bench.Settle();
    for (int tick = 1; tick <= 5; ++tick) {
        window.tmrTempoTimer();
    }
    EXPECT_EQ(tests, 1);
    EXPECT_TRUE(bench.LogLines().empty());
}

TEST_F(Tray, ShutdownRemovesTheIcon) {
    StartUp(true);
    QPointer<QSystemTrayIcon> icon =
        bench.window->findChild<QSystemTrayIcon*>(QStringLiteral("IconeTray"));
    ASSERT_TRUE(icon);
    bench.window.reset();
    EXPECT_FALSE(icon);
}

} // namespace
} // namespace mz::test
