#pragma once

#include "mz/IniFile.h"
#include "mz/Services.h"
#include "mz/data/DataModule.h"
#include "mz/monitor/ActivityTest.h"
#include "mz/monitor/MonitorView.h"

#include <cstdint>
#include <optional>
#include <string>

namespace mz {

// The exchange settings of one activity test.
struct TPBMConfig {
    std::string Envio;      // send directory, used as a plain path prefix
    std::string Resposta;   // reply directory, used as a plain path prefix
    std::int32_t Tempo = 0; // wait per try, in milliseconds
};

// Every value one activity test takes from sistema_tervo.ini, from one read of the file.
struct ActivitySettings {
    TPBMConfig config;
    std::int32_t branch = 0; // [FilialMatriz] CodLogica
};

// The name of the request file in the send directory and of its reply in the reply directory.
inline constexpr const char* ExchangeFileName = "TesteAtividadeX.txt";

// One activity test of the Zelnor exchange: advances the branch's sequence number, places the
// request, waits for the reply and checks it. Runs on the window thread; the waits keep the
// window alive through IMonitorView::ProcessMessages.
class TMonitorZelnor : public IActivityTest {
public:
    // The start of a reply's first line, as far as the status needs it.
    struct ReplyLine {
        bool present = false; // false: nothing stands before the first NUL or the end of the file
        bool ended = false;   // a line end or a NUL follows it: its writer is past it
        std::string start;    // at most the characters up to the status
    };

    TMonitorZelnor(IDataModule& dm, IMonitorView& view, const Services& services,
                   std::string programDirectory);

    // What the test found; raises Exception on the failures of the steps it runs.
    ActivityOutcome Run() override;
    // True when the reply's first line has "OK" at characters 7 and 8; false when no reply
    // came or it is not good.
    bool RunActivityTest();
    // Reads [zelnor] envio, resposta and tempo of sistema_tervo.ini.
    void LoadPBMConfig(TPBMConfig& config) const;
    // Reads the settings of one test, the exchange settings and the branch code, in one read.
    ActivitySettings LoadActivitySettings() const;
    // Reads the branch's stored number, stores and returns the next one (1 to 9999, then 1).
    // The read locks the row until the write is committed, so two monitors (or another
    // program using the same counter) never hand out the same number.
    std::int32_t NextBranchSequence(std::int32_t branch);
    // Looks for a regular file at path at once and after each of up to three waits of
    // [zelnor] tempo (read from sistema_tervo.ini) or of tempo milliseconds.
    bool WaitForReply(const std::string& path);
    bool WaitForReply(const std::string& path, std::int32_t tempo);
    // About n seconds in 10 ms sleeps, processing window messages after each.
    void WaitSeconds(std::int32_t n);
    bool IsSettingsWindowActive() const;

private:
    TIniValues ReadSettings() const;
    void WriteRequest(const std::string& path, std::int32_t number) const;
    // seen: the reply's line when a look has read it whole, so it is judged without a new read.
    bool WaitForReply(const std::string& path, std::int32_t tempo, std::optional<ReplyLine>& seen);
    ReplyLine ReadReplyLine(const std::string& path) const;
    static bool LineIsGood(const ReplyLine& line);
    ActivityOutcome::Kind JudgeReply(const std::string& path, std::int32_t tempo);
    void DeleteReplyIfPresent(const std::string& path) const;

    IDataModule& dm_;
    IMonitorView& view_;
    Services services_;
    std::string settingsFileName_; // sistema_tervo.ini in the program directory
};

} // namespace mz
