#include "dataset/qt/dataset_table_model.h"

#include <exception>

#include "platform/user_dialogs.h"

namespace dataset::qt {

namespace {

bool IsEditState(TDataSetState state) {
  return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
}

Qt::Alignment QtAlignment(TAlignment alignment) {
  switch (alignment) {
    case TAlignment::taRightJustify:
      return Qt::AlignRight | Qt::AlignVCenter;
    case TAlignment::taCenter:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

constexpr size_t kCachedRowLimit = 4096;

}  // namespace

class DatasetTableModel::Link : public TDataLink {
 public:
  explicit Link(DatasetTableModel& model) : model_(model) {}

 protected:
  void ActiveChanged() override { model_.Rebuild(); }
  void LayoutChanged() override { model_.Rebuild(); }
  void DataSetChanged() override { model_.FollowDataSet(); }
  void DataSetScrolled(int) override { model_.NotifyCurrentRow(); }
  void RecordChanged(TField* field) override { model_.FollowRecord(field); }
  void EditingChanged() override { model_.FollowRecord(nullptr); }

 private:
  DatasetTableModel& model_;
};

DatasetTableModel::DatasetTableModel(QObject* parent)
    : QAbstractTableModel(parent), link_(std::make_unique<Link>(*this)) {}

DatasetTableModel::~DatasetTableModel() = default;

void DatasetTableModel::SetDataSource(TDataSource* source) {
  link_->SetDataSource(source);
  Rebuild();
}

TDataSource* DatasetTableModel::DataSource() const {
  return link_->DataSource();
}

TDataSet* DatasetTableModel::DataSet() const {
  return link_->Active() ? link_->DataSet() : nullptr;
}

TField* DatasetTableModel::FieldAt(int column) const {
  if (column < 0 || column >= static_cast<int>(columns_.size()))
    return nullptr;
  return columns_[static_cast<size_t>(column)];
}

void DatasetTableModel::SetTitleColor(int column, const QColor& color) {
  if (color.isValid()) {
    titleColors_[column] = color;
  } else {
    titleColors_.erase(column);
  }
  if (column >= 0 && column < columnCount()) {
    emit headerDataChanged(Qt::Horizontal, column, column);
  }
}

void DatasetTableModel::ClearTitleColors() {
  titleColors_.clear();
  if (columnCount() > 0)
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

// ---------------------------------------------------------------- following

int DatasetTableModel::RecordRowCount() const {
  TDataSet* dataSet = DataSet();
  return dataSet != nullptr ? std::max(0, dataSet->RecordCount()) : 0;
}

int DatasetTableModel::InsertRow() const {
  TDataSet* dataSet = DataSet();
  if (dataSet == nullptr || dataSet->State() != TDataSetState::dsInsert)
    return -1;
  const int records = RecordRowCount();
  if (dataSet->AppendingRecord() || lastCurrentRow_ < 0)
    return records;
  return std::min(lastCurrentRow_, records);
}

void DatasetTableModel::Rebuild() {
  beginResetModel();
  columns_.clear();
  cache_.clear();
  if (TDataSet* dataSet = DataSet()) {
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
      TField& field = dataSet->Fields(i);
      if (field.Visible())
        columns_.push_back(&field);
    }
  }
  insertRow_ = InsertRow();
  rows_ = RecordRowCount() + (insertRow_ >= 0 ? 1 : 0);
  endResetModel();
  lastCurrentRow_ = -1;
  NotifyCurrentRow();
}

void DatasetTableModel::FollowDataSet() {
  cache_.clear();
  insertRow_ = InsertRow();
  const int rows = RecordRowCount() + (insertRow_ >= 0 ? 1 : 0);
  if (rows > rows_) {
    beginInsertRows(QModelIndex(), rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  } else if (rows < rows_) {
    beginRemoveRows(QModelIndex(), rows, rows_ - 1);
    rows_ = rows;
    endRemoveRows();
  }
  if (rows_ > 0 && columnCount() > 0) {
    emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
  }
  NotifyCurrentRow();
}

void DatasetTableModel::FollowRecord(TField*) {
  const int row = CurrentRow();
  if (row < 0 || row >= rows_ || columnCount() == 0)
    return;
  cache_.erase(row);
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

int DatasetTableModel::CurrentRow() const {
  TDataSet* dataSet = DataSet();
  if (dataSet == nullptr || dataSet->IsEmpty()) {
    return dataSet != nullptr && dataSet->State() == TDataSetState::dsInsert ? insertRow_ : -1;
  }
  if (dataSet->State() == TDataSetState::dsInsert)
    return insertRow_;
  const int recNo = dataSet->RecNo();
  return recNo > 0 ? recNo - 1 : -1;
}

void DatasetTableModel::NotifyCurrentRow() {
  TDataSet* dataSet = DataSet();
  const int row = CurrentRow();
  if (dataSet != nullptr && dataSet->State() != TDataSetState::dsInsert)
    lastCurrentRow_ = row;
  if (OnCurrentRowChanged && !movingCurrent_)
    OnCurrentRowChanged(row);
}

void DatasetTableModel::SetCurrentRow(int row) {
  TDataSet* dataSet = DataSet();
  if (dataSet == nullptr || row < 0 || row == CurrentRow())
    return;
  movingCurrent_ = true;
  try {
    if (IsEditState(dataSet->State())) {
      if (dataSet->Modified()) {
        dataSet->Post();
      } else {
        dataSet->Cancel();
      }
    }
    if (row < rows_)
      dataSet->SetRecNo(row + 1);
  } catch (const std::exception& error) {
    platform::Dialogs().ShowError(error.what());
  }
  movingCurrent_ = false;
  NotifyCurrentRow();
}

// ---------------------------------------------------------------- reading

DatasetTableModel::CachedRow DatasetTableModel::ReadActiveRecord() const {
  CachedRow row;
  for (TField* field : columns_) {
    row.display.push_back(QString::fromStdString(field->DisplayText()));
    row.edit.push_back(QString::fromStdString(field->Text()));
  }
  return row;
}

const DatasetTableModel::CachedRow* DatasetTableModel::Row(int row) const {
  const auto cached = cache_.find(row);
  if (cached != cache_.end())
    return &cached->second;
  TDataSet* dataSet = DataSet();
  if (dataSet == nullptr)
    return nullptr;
  int recNo = row + 1;
  if (insertRow_ >= 0 && row > insertRow_)
    recNo = row;
  if (cache_.size() >= kCachedRowLimit)
    cache_.clear();
  try {
    TDataSet::ScopedRecordView view(*dataSet, recNo);
    if (!view.Found())
      return nullptr;
    ++rowsRead_;
    return &cache_.emplace(row, ReadActiveRecord()).first->second;
  } catch (const std::exception&) {
    return nullptr;  // a record that cannot be read shows empty
  }
}

int DatasetTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int DatasetTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant DatasetTableModel::data(const QModelIndex& index, int role) const {
  TField* field = FieldAt(index.column());
  if (field == nullptr || index.row() < 0 || index.row() >= rows_)
    return {};
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(QtAlignment(field->Alignment()));
  if (role != Qt::DisplayRole && role != Qt::EditRole)
    return {};
  TDataSet* dataSet = DataSet();
  const auto column = static_cast<qsizetype>(index.column());
  if (IsEditState(dataSet->State()) && index.row() == CurrentRow()) {
    return role == Qt::DisplayRole ? QString::fromStdString(field->DisplayText())
                                   : QString::fromStdString(field->Text());
  }
  const CachedRow* row = Row(index.row());
  if (row == nullptr)
    return {};
  return role == Qt::DisplayRole ? row->display.at(column) : row->edit.at(column);
}

QVariant DatasetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical) {
    if (role == Qt::DisplayRole)
      return section == insertRow_ ? QVariant("*") : QVariant(section + 1);
    return {};
  }
  TField* field = FieldAt(section);
  if (field == nullptr)
    return {};
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(field->DisplayLabel());
    case Qt::ForegroundRole: {
      const auto color = titleColors_.find(section);
      return color != titleColors_.end() ? QVariant(color->second) : QVariant();
    }
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(QtAlignment(field->Alignment()));
    default:
      return {};
  }
}

Qt::ItemFlags DatasetTableModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags result = QAbstractTableModel::flags(index);
  TField* field = FieldAt(index.column());
  TDataSet* dataSet = DataSet();
  if (field != nullptr && dataSet != nullptr && dataSet->CanModify() && !field->ReadOnly() &&
      !field->IsCalculated() && !field->IsBlob() && !link_->ReadOnly() &&
      DataSource()->AutoEdit()) {
    result |= Qt::ItemIsEditable;
  }
  return result;
}

bool DatasetTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole)
    return false;
  TField* field = FieldAt(index.column());
  TDataSet* dataSet = DataSet();
  if (field == nullptr || dataSet == nullptr || !(flags(index) & Qt::ItemIsEditable))
    return false;
  if (index.row() != CurrentRow())
    SetCurrentRow(index.row());
  if (index.row() != CurrentRow())
    return false;
  // A new record collects its values until it is posted (row change or the
  // navigator); an existing one is written cell by cell.
  const bool inserting = dataSet->State() == TDataSetState::dsInsert;
  const bool startedEdit = dataSet->State() == TDataSetState::dsBrowse;
  try {
    if (startedEdit)
      dataSet->Edit();
    field->SetText(value.toString().toStdString());
  } catch (const std::exception& error) {
    platform::Dialogs().ShowError(error.what());
    if (startedEdit) {
      try {
        dataSet->Cancel();
      } catch (const std::exception&) {
      }
    }
    return false;
  }
  if (inserting)
    return true;
  try {
    dataSet->Post();
  } catch (const std::exception& error) {
    // The edit stays open with the value, so the user can mend or cancel it.
    platform::Dialogs().ShowError(error.what());
    return false;
  }
  return true;
}

}  // namespace dataset::qt
