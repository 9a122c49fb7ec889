#include "WindowBench.h"
#include "mz/Exception.h"

#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>
#include <optional>

namespace mz::test {
namespace {

struct StartCase {
    const char* name;
    std::optional<std::string> file; // none: no interval file
    QString expectedField;
};

class StartUpInterval : public testing::TestWithParam<StartCase> {};

TEST_P(StartUpInterval, LoadsTheFieldClampedAndLeavesTheFileAlone) {
    const StartCase& c = GetParam();
    WindowBench bench;
    if (c.file) {
        WriteBytes(bench.IntervalPath(), *c.file);
    }
    TFrmInicio& window = bench.Create();
    EXPECT_EQ(bench.FieldText(), c.expectedField);
    EXPECT_EQ(TryReadBytes(bench.IntervalPath()), c.file.value_or("[MONITOR]\r\nintervalo=5\r\n"));
    EXPECT_TRUE(bench.errors.isEmpty());
    EXPECT_TRUE(window.Core().Window().FirstActivation());
    EXPECT_TRUE(window.Core().Window().WindowShown());
}

std::string Interval(const std::string& value) {
    return "[MONITOR]\r\nintervalo=" + value + "\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Window, StartUpInterval,
    testing::Values(
        StartCase{"NoFile", std::nullopt, "5"}, StartCase{"Zero", Interval("0"), "5"},
        StartCase{"Three", Interval("3"), "5"}, StartCase{"Five", Interval("5"), "5"},
        StartCase{"Twelve", Interval("12"), "12"}, StartCase{"Thirty", Interval("30"), "30"},
        StartCase{"FortyFive", Interval("45"), "30"}, StartCase{"Negative", Interval("-7"), "5"},
        StartCase{"Letters", Interval("abc"), "5"}, StartCase{"Empty", Interval(""), "5"},
        StartCase{"LeadingZeros", Interval("007"), "7"},
        StartCase{"Hexadecimal", Interval("0x0C"), "12"},
        StartCase{"MissingKey", "[MONITOR]\r\noutro=9\r\n", "5"}, StartCase{"EmptyFile", "", "5"}),
    [](const testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

TEST(Window, ReadOnlyProgramDirectoryShowsTheWriteErrorAndRunsWithFive) {
    WindowBench bench;
    TFrmInicio& window = bench.Create(bench.readOnlyFiles);
    // The box comes up once the creation has returned.
    EXPECT_TRUE(bench.errors.isEmpty());
    bench.Settle();
    EXPECT_EQ(bench.errors, QStringList{QString::fromStdString("Unable to write to " +
                                                               bench.IntervalPath() + ".")});
    EXPECT_EQ(bench.FieldText(), QStringLiteral("5"));
    EXPECT_FALSE(TryReadBytes(bench.IntervalPath()).has_value());
    EXPECT_TRUE(window.Core().Window().FirstActivation());

    int tests = 0;
    bench.AttachDataModule([] {},
                           [&] {
                               ++tests;
                               return true;
                           });
    for (int tick = 1; tick <= 5; ++tick) {
        window.tmrTempoTimer();
    }
    EXPECT_EQ(tests, 1);
}

TEST(Window, TimerStartsWithTheGivenPeriodBeforeStartUp) {
    WindowBench bench;
    TFrmInicio& window = bench.Create();
    const auto* timer = window.findChild<QTimer*>(QStringLiteral("tmrTempo"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_FALSE(timer->isSingleShot());
    EXPECT_EQ(timer->intervalAsDuration(), std::chrono::minutes(1));
}

TEST(Window, FirstShowingConnectsOnceThenTheFirstActivationHidesTheWindow) {
    WindowBench bench;
    TFrmInicio& window = bench.Create();
    int connections = 0;
    bool onScreenWhileConnecting = true;
    bench.AttachDataModule(
        [&] {
            ++connections;
            onScreenWhileConnecting = window.isVisible();
        },
        [] { return true; });
    bench.StartUp();
    EXPECT_EQ(connections, 1);
    EXPECT_FALSE(onScreenWhileConnecting);
    EXPECT_FALSE(window.Core().Window().FirstActivation());
    EXPECT_FALSE(window.Core().Window().WindowShown());
    EXPECT_FALSE(window.isVisible());

    bench.BringUp();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.IsActive());
    EXPECT_EQ(connections, 1);
}

TEST(Window, ConnectionErrorComesUpOnceTheShowingHasReturnedAndTheProgramGoesOn) {
    WindowBench bench;
    TFrmInicio& window = bench.Create();
    bench.AttachDataModule([] { throw Exception("Lost connection to MySQL server"); },
                           [] { return true; });
    window.Core().Window().Start(false);
    EXPECT_TRUE(bench.errors.isEmpty()) << "no box inside the show handler";
    bench.Settle();
    EXPECT_EQ(bench.errors, QStringList{QStringLiteral("Lost connection to MySQL server.")});
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.Core().Window().FirstActivation());
}

TEST(Window, StatusLineStartsWithTheSaveHintAndShowsTheLastGoodTest) {
    WindowBench bench;
    TFrmInicio& window = bench.Create();
    EXPECT_EQ(window.StatusText(),
              QString::fromUtf8("Salve a configura\xC3\xA7\xC3\xA3o para ativar o monitoramento."));
    // A good reply at the bench clock's moment.
    bench.AttachDataModule([] {}, [] { return true; });
    for (int tick = 1; tick <= 4; ++tick) {
        window.tmrTempoTimer();
    }
    EXPECT_EQ(window.StatusText(),
              QString::fromUtf8("Salve a configura\xC3\xA7\xC3\xA3o para ativar o monitoramento."));
    window.tmrTempoTimer();
    EXPECT_EQ(window.StatusText(),
              QStringLiteral("Ultimo arquivo de resposta: 08/03/2025 14:03:27"));
    EXPECT_TRUE(bench.LogLines().empty());
}

TEST(Window, ReadsTheRegionalSettingsAgainWhenTheLocaleChanges) {
    WindowBench bench;
    RegionalSettings system = BrazilianRegional();
    RegionalSettingsOwner regional([&] { return system; });
    const Services services{bench.realFiles, bench.clock, bench.sleeper, regional.Current()};
    TFrmInicio window(FrmInicioSetup{bench.dir.Path()}, services, bench.desktop, regional);
    AttachDataModule(
        window, [] {}, [] { return true; }, bench.clock);
    const auto goodTest = [&] {
        for (int tick = 1; tick <= 5; ++tick) {
            window.tmrTempoTimer();
        }
        return window.StatusText().toStdString();
    };
    EXPECT_EQ(goodTest(), "Ultimo arquivo de resposta: 08/03/2025 14:03:27");
    // The system's own settings: month first, two-digit year, a 12-hour clock.
    system = RegionalSettings();
    EXPECT_EQ(goodTest(), "Ultimo arquivo de resposta: 08/03/2025 14:03:27") << "not yet read";
    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(&window, &change);
    EXPECT_EQ(goodTest(), ActivityStatusText(bench.clock.now, system));
    EXPECT_NE(goodTest(), "Ultimo arquivo de resposta: 08/03/2025 14:03:27");
}

} // namespace
} // namespace mz::test
