#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace framework {

class ImageList;

// The rows of a list control as a table for Qt's views: per row an image, an item data and
// a text per column, the texts kept as the program's bytes and decoded only for the cells a
// view asks for. A cell shows at most kShownCharacters of its text, then an ellipsis; the
// row keeps the whole text. Owned by its list control and lives as long as it; the image
// list is not owned. A failed allocation throws the framework's MemoryException.
class ListModel : public QAbstractTableModel {
 public:
  static constexpr qsizetype kShownBytes = 4000;

  explicit ListModel(QObject* parent) : QAbstractTableModel(parent) {}

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void InsertColumn(int column, const QString& heading, Qt::Alignment alignment);
  void SetImageList(const ImageList* images);

  void InsertRow(int row);
  void RemoveRow(int row);
  void RemoveAll();
  void SetText(int row, int column, const char* text);
  const QByteArray& Text(int row, int column) const;
  void SetImage(int row, int image);
  // The image of the row, or -1 when it was never given one.
  int Image(int row) const { return rows[Index(row)].image; }
  void SetData(int row, std::intptr_t data) { rows[Index(row)].data = data; }
  std::intptr_t Data(int row) const { return rows[Index(row)].data; }

  // The width a view measured for a cell, kept until the cell's text or image changes or
  // ForgetWidths; -1 when unknown.
  int Width(int row, int column) const { return columns[Index(column)].widths[Index(row)]; }
  void KeepWidth(int row, int column, int width) { columns[Index(column)].widths[Index(row)] = width; }
  void ForgetWidths();

 private:
  // The cells are kept by column: a row then costs no allocation of its own, and an empty
  // text none at all.
  struct Row {
    std::intptr_t data = 0;
    int image = -1;
  };
  struct Column {
    QString heading;
    Qt::Alignment alignment;
    std::vector<QByteArray> texts;  // one per row
    std::vector<int> widths;        // one per row
  };

  static std::size_t Index(int i) { return static_cast<std::size_t>(i); }
  QString Shown(const QByteArray& text) const;

  const ImageList* images = nullptr;
  std::vector<Column> columns;
  std::vector<Row> rows;
};

}  // namespace framework
