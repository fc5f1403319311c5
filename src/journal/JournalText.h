// The journal's texts for the user (CP932).
#pragma once

#include "journal/SqlConnection.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace hoxa {

// A time (ms since 1970) in local time, by a strftime format.
std::string FormatLocalTime(std::int64_t ms, const char* format);

// "12/07 14:05": a print time in local time.
std::string FormatPrintTime(std::int64_t ms);

// "この送り状は 12/07 14:05 に印刷済みです。もう一度印刷しますか?"
std::string DoublePrintQuestion(std::int64_t printedAtMs);

// Why the journal could not be read or written, naming the store: the file's
// name, or the server as "host:port/dbname".  detail: the library's text.
std::string JournalFailureMessage(SqlFailure failure, bool server, std::string_view store,
                                  std::string_view detail);

// A damaged file was set aside under `keptAs` and a new one started.
std::string DamagedJournalNotice(std::string_view file, std::string_view keptAs);

}  // namespace hoxa
