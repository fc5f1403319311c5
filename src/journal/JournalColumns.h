// The columns of the journal window's table and the text of each cell.
#pragma once

#include "journal/JournalEntry.h"

#include <string>
#include <string_view>

namespace hoxa {

enum class JournalColumn {
    Time, State, Name, Address, Telephone, Goods, Source, OrderId, Tracking, Printer, Station, Count_
};
inline constexpr int kJournalColumnCount = static_cast<int>(JournalColumn::Count_);

// The column's heading (CP932): "印刷日時", "状態", "おなまえ" ...
std::string_view JournalColumnTitle(JournalColumn column);

// A cell's text (CP932): the time as "2024/12/07 14:05", the state as "印刷済",
// "再印刷" or "送信中", the source as the order file's name or "手入力", the
// tracking number in groups of four.
std::string JournalCellText(const JournalEntry& e, JournalColumn column);

}  // namespace hoxa
