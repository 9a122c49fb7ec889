#include "mz/monitor/uMonitorZelnor.h"

#include "mz/Exception.h"
#include "mz/IniFile.h"
#include "mz/data/USQLMount.h"
#include "mz/log/uLog.h"
#include "mz/platform/System.h"

#include <chrono>
#include <fmt/format.h>
#include <utility>

namespace mz {

namespace {

constexpr std::int32_t DefaultTempo = 2500;
constexpr std::int32_t DefaultBranch = 2;
constexpr std::int32_t LastSequence = 9999;
constexpr int ReplyTries = 3;
constexpr std::chrono::milliseconds Tick{10};
constexpr std::int64_t TicksPerSecond = 100;

} // namespace

std::string ActivityStatusText(const LocalDateTime& moment, const RegionalSettings& regional) {
    return "Ultimo arquivo de resposta: " + DateTimeText(moment, regional);
}

TMonitorZelnor::TMonitorZelnor(IDataModule& dm, IMonitorView& view, const Services& services,
                               std::string programDirectory)
    : dm_(dm), view_(view), services_(services),
      settingsFileName_(std::move(programDirectory) + "sistema_tervo.ini") {}

bool TMonitorZelnor::RunActivityTest() {
    return Run().kind == ActivityOutcome::Kind::Good;
}

ActivityOutcome TMonitorZelnor::Run() {
    const ActivitySettings settings = LoadActivitySettings();
    const TPBMConfig& config = settings.config;
    const std::int32_t branch = settings.branch;
    if (branch == 0) {
        WriteLog(services_, "CodFilial n\xE3o identificada.");
        throw Exception("Filial n\xE3o identificada.");
    }

    const std::int32_t number = NextBranchSequence(branch);
    const std::string replyPath = config.Resposta + ExchangeFileName;
    // A reply left from an earlier test must not answer this one.
    services_.files.DeleteFile(replyPath);
    WriteRequest(config.Envio + ExchangeFileName, number);

    ActivityOutcome outcome;
    outcome.kind = JudgeReply(replyPath, config.Tempo);
    if (outcome.kind == ActivityOutcome::Kind::Good) {
        outcome.moment = services_.clock.Now();
    }
    // A reply that could not be read is left for the next test; any other one, good, bad or
    // late, is removed so it cannot answer the next request.
    DeleteReplyIfPresent(replyPath);
    return outcome;
}

ActivityOutcome::Kind TMonitorZelnor::JudgeReply(const std::string& path, std::int32_t tempo) {
    std::optional<ReplyLine> seen;
    if (!WaitForReply(path, tempo, seen)) {
        return ActivityOutcome::Kind::NoReply;
    }
    const bool good = LineIsGood(seen ? *seen : ReadReplyLine(path));
    return good ? ActivityOutcome::Kind::Good : ActivityOutcome::Kind::BadReply;
}

namespace {

void FillPBMConfig(const TIniValues& values, TPBMConfig& config) {
    config.Envio = values.ReadString("zelnor", "envio", platform::DefaultSendDirectory());
    config.Resposta = values.ReadString("zelnor", "resposta", platform::DefaultReplyDirectory());
    config.Tempo = values.ReadInteger("zelnor", "tempo", DefaultTempo);
}

} // namespace

void TMonitorZelnor::LoadPBMConfig(TPBMConfig& config) const {
    FillPBMConfig(ReadSettings(), config);
}

ActivitySettings TMonitorZelnor::LoadActivitySettings() const {
    const TIniValues values = ReadSettings();
    ActivitySettings settings;
    FillPBMConfig(values, settings.config);
    settings.branch = values.ReadInteger("FilialMatriz", "CodLogica", DefaultBranch);
    return settings;
}

std::int32_t TMonitorZelnor::NextBranchSequence(std::int32_t branch) {
    // "for update" holds the row from the read to the commit of the write.
    const std::string query = fmt::format(
        "select filial.seq_zelnor from filial where filial.filial_id = {} for update", branch);
    std::int32_t next = 0;
    dm_.RunInTransaction([&] {
        const std::int32_t stored = dm_.QueryValue(query, Variant(0), true).ToInt32();
        next = stored >= LastSequence ? 1 : stored + 1;

        TSqlMount mount(smUpdate, "filial");
        mount.AddField("seq_zelnor", Variant(next), ftInteger);
        mount.SqlWhere(fmt::format("where filial_id = {}", branch));
        dm_.ExecuteMount(mount, true);
    });
    return next;
}

bool TMonitorZelnor::WaitForReply(const std::string& path) {
    return WaitForReply(path, ReadSettings().ReadInteger("zelnor", "tempo", DefaultTempo));
}

bool TMonitorZelnor::WaitForReply(const std::string& path, std::int32_t tempo) {
    std::optional<ReplyLine> seen;
    return WaitForReply(path, tempo, seen);
}

bool TMonitorZelnor::WaitForReply(const std::string& path, std::int32_t tempo,
                                  std::optional<ReplyLine>& seen) {
    const std::int32_t secondsPerTry = tempo / 1000;

    int tries = 0;
    // Where a reader can see a reply its writer is still writing, a first line without its end
    // is not there yet; the last look judges whatever it finds.
    const auto look = [&] {
        if (!services_.files.FileExists(path)) {
            return false;
        }
        if (!platform::ReadersSeePartialWrites || tries == ReplyTries) {
            return true;
        }
        try {
            ReplyLine line = ReadReplyLine(path);
            if (line.ended) {
                seen = std::move(line);
            }
        } catch (const Exception&) {
            // Still held by its writer: looked at again, judged at the last look.
        }
        return seen.has_value();
    };
    bool found = look();
    while (!found && tries < ReplyTries) {
        if (IsSettingsWindowActive()) {
            // Counts no try, but must neither spin nor freeze the window while it stays active.
            services_.sleeper.Sleep(Tick);
            view_.ProcessMessages();
        } else {
            WaitSeconds(secondsPerTry);
            ++tries;
            view_.ProcessMessages();
        }
        found = look();
    }
    return found;
}

void TMonitorZelnor::WaitSeconds(std::int32_t n) {
    if (n <= 0) {
        return;
    }
    const std::int64_t ticks = std::int64_t{n} * TicksPerSecond;
    for (std::int64_t i = 0; i < ticks; ++i) {
        services_.sleeper.Sleep(Tick);
        view_.ProcessMessages();
    }
}

bool TMonitorZelnor::IsSettingsWindowActive() const {
    return view_.IsActive();
}

TIniValues TMonitorZelnor::ReadSettings() const {
    return TIniFile(settingsFileName_, services_.files, services_.sleeper).Read();
}

} // namespace mz
