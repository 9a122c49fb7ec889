#pragma once

#include "mz/Services.h"

#include <string_view>

namespace mz {

// Appends "<date and time> - <message>" CR LF to LogZelnor/<month>.txt below the current
// working directory, creating the directory and the file when missing. The message is written
// byte for byte (Windows-1252). Raises Exception on failure: "Falha ao criar o diretório
// LogZelnor" (in Windows-1252), "I/O error 103" when the file cannot be opened, "I/O error <code>"
// or the fixed text for codes 2 to 5 when writing or closing fails.
void WriteLog(const Services& services, std::string_view message);

} // namespace mz
