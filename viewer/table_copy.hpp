#pragma once
// The viewer's tables: their columns, named once for the screen and once for the clipboard
// (with units, as a spreadsheet needs them), and their text for the clipboard, tab-separated
// so a spreadsheet takes it cell by cell.

#include <QString>
#include <span>

class QTableWidget;

namespace accprep {

struct TableColumn {
  const char* screen;  // the header on screen, Japanese: "PGA (gal)", "時刻 (s)"
  const char* copy;    // the header of the copied text: "PGA (gal)", "tPGA (s)"
};

// A read-only table of `rows` rows with one column per entry of `columns`.
QTableWidget* MakeTable(int rows, std::span<const TableColumn> columns);

// The copy headers of `columns` on the first line, then every row of `table` as shown, each
// line ending in a line feed.
QString TabSeparatedText(const QTableWidget& table, std::span<const TableColumn> columns);

}  // namespace accprep
