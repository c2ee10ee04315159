#pragma once
// The grid's model over any dataset: one row per record, one column per
// visible field. Rows are read on demand, only those the view asks for, by
// record number without moving the dataset's current record; the model
// follows the dataset through a data link (state, record, field and
// dataset changes) and edits through Edit, field assignment and Post.
//
// While a record is being inserted it appears as an extra row: at the end
// for an append, before the record it is inserted in front of otherwise.

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "dataset/data_source.h"

namespace dataset::qt {

class DatasetTableModel : public QAbstractTableModel {
 public:
  explicit DatasetTableModel(QObject* parent = nullptr);
  ~DatasetTableModel() override;

  void SetDataSource(TDataSource* source);
  TDataSource* DataSource() const;
  TDataSet* DataSet() const;
  // The field shown in a column, null outside the columns.
  TField* FieldAt(int column) const;

  // The title of a column in another color (the "ordered by" column);
  // an invalid color removes it.
  void SetTitleColor(int column, const QColor& color);
  void ClearTitleColors();

  // The row of the dataset's current record, -1 when there is none.
  int CurrentRow() const;
  // Makes the record of a row current (posting a pending edit first).
  void SetCurrentRow(int row);
  // Called whenever the current record moves to another row.
  std::function<void(int row)> OnCurrentRowChanged;

  // Records the model has read to answer the view.
  int64_t RowsRead() const { return rowsRead_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  class Link;
  struct CachedRow {
    QStringList display;
    QStringList edit;
  };
  friend class Link;

  void Rebuild();
  void FollowDataSet();
  void FollowRecord(TField* field);
  void NotifyCurrentRow();
  int InsertRow() const;
  int RecordRowCount() const;
  const CachedRow* Row(int row) const;
  CachedRow ReadActiveRecord() const;

  std::unique_ptr<Link> link_;
  std::vector<TField*> columns_;
  int rows_ = 0;
  int lastCurrentRow_ = -1;
  int insertRow_ = -1;
  bool movingCurrent_ = false;
  std::map<int, QColor> titleColors_;
  mutable std::unordered_map<int, CachedRow> cache_;
  mutable int64_t rowsRead_ = 0;
};

}  // namespace dataset::qt
