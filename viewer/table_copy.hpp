#pragma once
// The viewer's tables as text for the clipboard: tab-separated, so a spreadsheet takes them
// cell by cell.

#include <QString>
#include <span>

class QTableWidget;

namespace accprep {

// `headers` on the first line, then each row of `table` with its number (1, 2, ...) in place
// of its first column, every line ending in a line feed.
QString TabSeparatedText(const QTableWidget& table, std::span<const char* const> headers);

}  // namespace accprep
