#include "viewer/table_copy.hpp"

#include <QStringList>
#include <QTableWidget>

namespace accprep {

QString TabSeparatedText(const QTableWidget& table, std::span<const char* const> headers) {
  QStringList lines;
  QStringList header;
  for (const char* name : headers) header << QString::fromLatin1(name);
  lines << header.join('\t');
  for (int row = 0; row < table.rowCount(); ++row) {
    QStringList cells;
    cells << QString::number(row + 1);
    for (int column = 1; column < table.columnCount(); ++column) {
      const QTableWidgetItem* item = table.item(row, column);
      cells << (item == nullptr ? QString() : item->text());
    }
    lines << cells.join('\t');
  }
  return lines.join('\n') + '\n';
}

}  // namespace accprep
