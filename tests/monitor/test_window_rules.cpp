// The rules of the window and the tray icon: event sequences and what the window is told to do.
#include "TestCases.h"
#include "core_bench.h"
#include "mz/Exception.h"

#include <gtest/gtest.h>

namespace mz::test {
namespace {

enum class Event {
    Created,
    Start,
    StartMinimised,
    Activated,
    Restored,
    Minimise,
    DoubleClick,
    Settings,
    Fechar,
    CloseBox,
    Escape,
    Save,
    Cancel,
    Type12,
    Type31,
};

struct Step {
    Event event;
    std::vector<std::string> calls;
    std::vector<Event> inBox = {}; // events that arrive while the box this step opens is open
};

struct RulesCase {
    const char* title;
    std::vector<Step> steps;
    std::vector<std::string> log = {};
    bool connectionFails = false;
};
using test::PrintTo;

// The data module's connection, recorded among the window's calls.
class ConnectingModule : public MemoryDataModule {
public:
    explicit ConnectingModule(CoreView& view) : view_(view) {}
    void OpenConnection() override {
        view_.calls.emplace_back("connect");
        MemoryDataModule::OpenConnection();
    }

private:
    CoreView& view_;
};

class WindowRulesTable : public testing::TestWithParam<RulesCase> {
protected:
    void Fire(Event event) {
        WindowRules& window = bench.core.Window();
        switch (event) {
        case Event::Created:
            window.Created();
            break;
        case Event::Start:
            window.Start(false);
            break;
        case Event::StartMinimised:
            window.Start(true);
            break;
        case Event::Activated:
            window.Activated();
            break;
        case Event::Restored:
            window.Restored();
            break;
        case Event::Minimise:
            window.MinimiseRequested();
            break;
        case Event::DoubleClick:
            window.TrayDoubleClick();
            break;
        case Event::Settings:
            window.ShowRequested();
            break;
        case Event::Fechar:
        case Event::CloseBox:
            window.CloseRequested();
            break;
        case Event::Escape:
            window.EscapePressed();
            break;
        case Event::Save:
            window.SavePressed();
            break;
        case Event::Cancel:
            window.CancelPressed();
            break;
        case Event::Type12:
            bench.view.interval = "12";
            break;
        case Event::Type31:
            bench.view.interval = "31";
            break;
        }
    }

    CoreBench bench;
    ConnectingModule dm{bench.view};
};

TEST_P(WindowRulesTable, TellsTheWindowWhatToDo) {
    const RulesCase& c = GetParam();
    if (c.connectionFails) {
        dm.failure = "Can't connect to MySQL server on '127.0.0.1'";
    }
    bench.core.AttachDataModule(dm);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        const Step& step = c.steps[i];
        bench.view.duringError = [&] {
            for (const Event event : step.inBox) {
                Fire(event);
            }
        };
        Fire(step.event);
        bench.view.RunPosted();
        EXPECT_EQ(bench.view.calls, step.calls) << "step " << i;
        bench.view.calls.clear();
    }
    EXPECT_EQ(bench.LogLines(), c.log);
    EXPECT_LE(bench.view.mostOpenErrors, 1);
}

// Created, shown, and put away by the first activation.
std::vector<Step> StartUp(std::vector<Step> more) {
    std::vector<Step> steps = {
        {Event::Created, {"field 5"}},
        {Event::Start, {"connect", "centre", "show"}},
        {Event::Activated, {"put away"}},
    };
    steps.insert(steps.end(), more.begin(), more.end());
    return steps;
}

const char* const TooLong = "box Intervalo maximo de 30 minutos.";

INSTANTIATE_TEST_SUITE_P(
    Window, WindowRulesTable,
    testing::Values(
        RulesCase{"FirstActivationPutsTheWindowAwayOnce",
                  StartUp({{Event::Activated, {}},
                           {Event::DoubleClick, {"show"}},
                           {Event::Activated, {}},
                           {Event::DoubleClick, {"put away"}}})},
        RulesCase{"DoubleClickTogglesAndSettingsLeavesAShownWindowAlone",
                  StartUp({{Event::Settings, {"show"}},
                           {Event::Settings, {}},
                           {Event::DoubleClick, {"put away"}},
                           {Event::DoubleClick, {"show"}},
                           {Event::Minimise, {"put away"}},
                           {Event::Settings, {"show"}}})},
        RulesCase{"MinimisedLaunchShowsAndPutsAwayAtTheFirstBringUp",
                  {{Event::Created, {"field 5"}},
                   {Event::StartMinimised, {"minimised"}},
                   {Event::Activated, {}},
                   {Event::DoubleClick, {"put away"}},
                   {Event::DoubleClick, {"connect", "centre", "show"}},
                   {Event::Activated, {"put away"}},
                   {Event::DoubleClick, {"show"}},
                   {Event::Activated, {}}}},
        RulesCase{"MinimisedLaunchRestoredFromItsTaskbarButton",
                  {{Event::Created, {"field 5"}},
                   {Event::StartMinimised, {"minimised"}},
                   {Event::Restored, {"connect", "centre"}},
                   {Event::Activated, {"put away"}},
                   {Event::Settings, {"show"}},
                   {Event::Activated, {}}}},
        RulesCase{"MinimisedLaunchBroughtUpByTheMenu",
                  {{Event::Created, {"field 5"}},
                   {Event::StartMinimised, {"minimised"}},
                   {Event::Settings, {"connect", "centre", "show"}},
                   {Event::Activated, {"put away"}}}},
        RulesCase{"ConnectionFailureComesUpAfterTheShowing",
                  {{Event::Created, {"field 5"}},
                   {Event::Start,
                    {"connect", "centre", "show",
                     "box Can't connect to MySQL server on '127.0.0.1'", "box closed"}},
                   {Event::Activated, {"put away"}},
                   {Event::DoubleClick, {"show"}}},
                  {},
                  true},
        RulesCase{"SaveShowsTheMarkThenPutsTheWindowAway",
                  StartUp({{Event::DoubleClick, {"show"}},
                           {Event::Type12, {}},
                           {Event::Save,
                            {"mark", "process", "sleep 400", "put away", "no mark", "process"}},
                           {Event::DoubleClick, {"show"}}})},
        RulesCase{"SaveRefusedKeepsTheWindow", StartUp({{Event::DoubleClick, {"show"}},
                                                        {Event::Type31, {}},
                                                        {Event::Save, {TooLong, "box closed"}},
                                                        {Event::DoubleClick, {"put away"}}})},
        RulesCase{"CancelShowsTheSavedValueAndPutsTheWindowAway",
                  StartUp({{Event::DoubleClick, {"show"}},
                           {Event::Type12, {}},
                           {Event::Cancel, {"field 5", "put away"}}})},
        RulesCase{"EscapeCloseBoxAndFecharEndTheProgram", StartUp({{Event::Escape, {"end"}},
                                                                   {Event::CloseBox, {"end"}},
                                                                   {Event::Fechar, {"end"}}})},
        RulesCase{"EscapeWithABoxOpenIsTheBoxs",
                  StartUp({{Event::DoubleClick, {"show"}},
                           {Event::Type31, {}},
                           {Event::Save, {TooLong, "box closed"}, {Event::Escape}},
                           {Event::Escape, {"end"}}})},
        RulesCase{"FailureWhileABoxIsOpenGoesToTheLog",
                  StartUp({{Event::DoubleClick, {"show"}},
                           {Event::Type31, {}},
                           {Event::Save, {TooLong, "box closed"}, {Event::Save, Event::Save}},
                           {Event::Save, {TooLong, "box closed"}}}),
                  {"Intervalo maximo de 30 minutos.", "Intervalo maximo de 30 minutos."}}),
    ByTitle);

TEST(WindowRules, SaveWritesTheTextAsTypedAndARefusalWritesNothing) {
    CoreBench bench;
    WindowRules& window = bench.core.Window();
    window.Created();
    const std::string path = bench.dir.Path() + "monitor_zelnor.ini";
    bench.view.interval = "31";
    window.SavePressed();
    bench.view.RunPosted();
    EXPECT_EQ(TryReadBytes(path), "[MONITOR]\r\nintervalo=5\r\n");
    bench.view.interval = "007";
    window.SavePressed();
    EXPECT_EQ(TryReadBytes(path), "[MONITOR]\r\nintervalo=007\r\n");
    EXPECT_FALSE(window.WindowShown());
}

TEST(WindowRules, CancelAfterTheFileWentShowsFiveAndCreatesNothing) {
    CoreBench bench;
    WindowRules& window = bench.core.Window();
    window.Created();
    const std::string path = bench.dir.Path() + "monitor_zelnor.ini";
    std::filesystem::remove(path);
    bench.view.interval = "12";
    window.CancelPressed();
    EXPECT_EQ(bench.view.interval, "5");
    EXPECT_FALSE(TryReadBytes(path).has_value());
}

} // namespace
} // namespace mz::test
