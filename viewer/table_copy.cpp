#include "viewer/table_copy.hpp"

#include <QHeaderView>
#include <QStringList>
#include <QTableWidget>

namespace accprep {

QTableWidget* MakeTable(int rows, std::span<const TableColumn> columns) {
  auto* table = new QTableWidget(rows, static_cast<int>(columns.size()));
  QStringList headers;
  for (const TableColumn& column : columns) headers << QString::fromUtf8(column.screen);
  table->setHorizontalHeaderLabels(headers);
  table->verticalHeader()->setVisible(false);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  return table;
}

QString TabSeparatedText(const QTableWidget& table, std::span<const TableColumn> columns) {
  QStringList lines;
  QStringList header;
  for (const TableColumn& column : columns) header << QString::fromUtf8(column.copy);
  lines << header.join('\t');
  for (int row = 0; row < table.rowCount(); ++row) {
    QStringList cells;
    for (int column = 0; column < table.columnCount(); ++column) {
      const QTableWidgetItem* item = table.item(row, column);
      cells << (item == nullptr ? QString() : item->text());
    }
    lines << cells.join('\t');
  }
  return lines.join('\n') + '\n';
}

}  // namespace accprep
