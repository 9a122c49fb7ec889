#pragma once

#include "mz/DateTimeText.h"

#include <string>

namespace mz {

// What one activity test found. The failures of its steps are exceptions, not outcomes.
struct ActivityOutcome {
    enum class Kind { Good, NoReply, BadReply };
    Kind kind = Kind::NoReply;
    LocalDateTime moment; // of a good reply: when it was judged
};

// The status line after a good reply: "Ultimo arquivo de resposta: " and its moment.
std::string ActivityStatusText(const LocalDateTime& moment, const RegionalSettings& regional);

// One activity test, as the monitor cycle runs it.
class IActivityTest {
public:
    virtual ~IActivityTest() = default;
    virtual ActivityOutcome Run() = 0;
};

} // namespace mz
