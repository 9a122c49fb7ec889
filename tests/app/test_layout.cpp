#include "WindowBench.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <gtest/gtest.h>

namespace mz::test {
namespace {

struct ControlCase {
    const char* name;
    QRect geometry;
    QString text; // empty: no text to compare
};

class Layout : public testing::TestWithParam<ControlCase> {
protected:
    static void SetUpTestSuite() {
        bench = new WindowBench;
        bench->Create();
    }
    static void TearDownTestSuite() {
        delete bench;
        bench = nullptr;
    }
    static WindowBench* bench;
};
WindowBench* Layout::bench = nullptr;

QString TextOf(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
        return button->text();
    }
    if (const auto* edit = qobject_cast<const TIntervalEdit*>(&control)) {
        return edit->text();
    }
    return {};
}

TEST_P(Layout, PlacesEachControl) {
    const ControlCase& c = GetParam();
    const auto* control = bench->window->findChild<QWidget*>(QString::fromUtf8(c.name));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->parentWidget(), bench->window.get());
    if (qobject_cast<const QLabel*>(control) != nullptr && !TextOf(*control).isEmpty()) {
        // A text label grows to its text when the desktop's substitute font is wider.
        EXPECT_EQ(control->pos(), c.geometry.topLeft());
        EXPECT_EQ(control->height(), c.geometry.height());
        EXPECT_GE(control->width(), c.geometry.width());
        EXPECT_GE(control->width(), control->sizeHint().width());
    } else {
        EXPECT_EQ(control->geometry(), c.geometry);
    }
    if (!c.text.isEmpty()) {
        EXPECT_EQ(TextOf(*control), c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Window, Layout,
    testing::Values(ControlCase{"Image1", {16, 16, 339, 59}, {}},
                    ControlCase{
                        "lbl1",
                        {8, 79, 150, 13},
                        QString::fromUtf8("Intervalo de cria\xC3\xA7\xC3\xA3o do arquivo:")},
                    ControlCase{"EdtMinutos", {8, 95, 57, 21}, "5"},
                    ControlCase{"lbl3", {71, 99, 42, 13}, "minuto(s)"},
                    ControlCase{"ImgOK", {119, 96, 24, 24}, {}},
                    ControlCase{"btnBtnSalvar", {196, 98, 80, 25}, "&Salvar"},
                    ControlCase{"btnBtnCancelar", {280, 98, 80, 25}, "&Cancelar"},
                    ControlCase{"statBar", {0, 133, 372, 19}, {}}),
    [](const testing::TestParamInfo<ControlCase>& info) { return std::string(info.param.name); });

class WindowLook : public testing::Test {
protected:
    void SetUp() override { bench.Create(); }
    template <typename T> T& Child(const char* name) {
        auto* child = bench.window->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(child, nullptr) << name;
        return *child;
    }
    WindowBench bench;
};

TEST_F(WindowLook, FixedWhiteWindowWithoutMaximiseButton) {
    const TFrmInicio& window = *bench.window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Monitor Zelnor 1.0.0"));
    EXPECT_EQ(window.size(), QSize(372, 152));
    EXPECT_EQ(window.minimumSize(), QSize(372, 152));
    EXPECT_EQ(window.maximumSize(), QSize(372, 152));
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(window.autoFillBackground());
    EXPECT_EQ(window.font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(window.font().pointSize(), 8);
    EXPECT_FALSE(window.windowIcon().isNull());
}

TEST_F(WindowLook, PicturesAndButtonImages) {
    EXPECT_EQ(Child<QLabel>("Image1").pixmap().size(), QSize(339, 59));
    EXPECT_EQ(Child<QLabel>("ImgOK").pixmap().size(), QSize(24, 24));
    EXPECT_FALSE(Child<QLabel>("ImgOK").isVisibleTo(bench.window.get()));
    for (const char* name : {"btnBtnSalvar", "btnBtnCancelar"}) {
        const auto& button = Child<QPushButton>(name);
        EXPECT_FALSE(button.icon().isNull()) << name;
        EXPECT_EQ(button.iconSize(), QSize(20, 20)) << name;
    }
}

TEST_F(WindowLook, TabOrderAndAccelerators) {
    std::vector<QString> order;
    const QWidget* first = &bench.window->EdtMinutos();
    const QWidget* w = first;
    do {
        const QString name = w->objectName();
        if (w->parentWidget() == bench.window.get() && (w->focusPolicy() & Qt::TabFocus) &&
            std::find(order.begin(), order.end(), name) == order.end()) {
            order.push_back(name);
        }
        w = w->nextInFocusChain();
    } while (w != first);
    EXPECT_EQ(order, (std::vector<QString>{"EdtMinutos", "btnBtnSalvar", "btnBtnCancelar"}));
    EXPECT_EQ(Child<QPushButton>("btnBtnSalvar").shortcut(), QKeySequence(QStringLiteral("Alt+S")));
    EXPECT_EQ(Child<QPushButton>("btnBtnCancelar").shortcut(),
              QKeySequence(QStringLiteral("Alt+C")));
}

TEST_F(WindowLook, StatusBarHasOnePanelWithTheSaveHint) {
    auto& bar = Child<QStatusBar>("statBar");
    EXPECT_FALSE(bar.isSizeGripEnabled());
    const auto panels = bar.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(panels.size(), 1);
    EXPECT_EQ(panels.front()->text(),
              QString::fromUtf8("Salve a configura\xC3\xA7\xC3\xA3o para ativar o monitoramento."));
}

TEST_F(WindowLook, TrayIconWithTipAndTwoItemMenu) {
    auto& tray = Child<QSystemTrayIcon>("IconeTray");
    EXPECT_EQ(tray.toolTip(), QStringLiteral("Monitor Zelnor"));
    EXPECT_TRUE(tray.isVisible());
    const QList<QSize> sizes = tray.icon().availableSizes();
    for (const int size : {16, 32, 48, 128}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    }
    QMenu* menu = tray.contextMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), QStringLiteral("TrayMenu"));
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->objectName(), QStringLiteral("Configuraes1"));
    EXPECT_EQ(items[0]->text(), QString::fromUtf8("&Configura\xC3\xA7\xC3\xB5"
                                                  "es"));
    EXPECT_EQ(items[1]->objectName(), QStringLiteral("Fechar1"));
    EXPECT_EQ(items[1]->text(), QStringLiteral("&Fechar"));
}

} // namespace
} // namespace mz::test
