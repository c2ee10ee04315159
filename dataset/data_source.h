#pragma once
// Data sources and data links: how controls follow a dataset. A data source
// joins one dataset to any number of links; each link belongs to a control
// and is told of state changes, record changes, field changes and changes of
// the whole dataset. A link may ask for a window of several record buffers
// (a grid showing many rows); the dataset keeps as many as the largest
// window asks for, and the link addresses them by ActiveRecord.

#include <functional>
#include <vector>

#include "dataset/dataset.h"

namespace dataset {

class TDataLink;

class TDataSource {
 public:
  TDataSource() = default;
  explicit TDataSource(TDataSet* dataSet) { SetDataSet(dataSet); }
  ~TDataSource();
  TDataSource(const TDataSource&) = delete;
  TDataSource& operator=(const TDataSource&) = delete;

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // Whether a control may put the dataset into edit state by itself.
  bool AutoEdit() const { return autoEdit_; }
  void SetAutoEdit(bool value) { autoEdit_ = value; }
  // The dataset's state; inactive when there is none or when disabled.
  TDataSetState State() const { return state_; }
  // Starts editing when AutoEdit allows it and the dataset is browsing.
  void Edit();

  std::function<void(TDataSource&)> OnStateChange;
  std::function<void(TDataSource&, TField* field)> OnDataChange;
  std::function<void(TDataSource&)> OnUpdateData;

 private:
  friend class TDataSet;
  friend class TDataLink;
  void NotifyDataEvent(TDataEvent event, const void* info);
  void UpdateState();
  void AddLink(TDataLink* link);
  void RemoveLink(TDataLink* link);

  TDataSet* dataSet_ = nullptr;
  std::vector<TDataLink*> links_;
  TDataSetState state_ = TDataSetState::dsInactive;
  bool enabled_ = true;
  bool autoEdit_ = true;
};

class TDataLink {
 public:
  TDataLink() = default;
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return dataSource_; }
  void SetDataSource(TDataSource* dataSource);
  TDataSet* DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }
  // The dataset is open and the data source enabled.
  bool Active() const { return active_; }
  // The dataset is in edit or insert state and the link is not read-only.
  bool Editing() const { return editing_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  // Records in the link's window, and which of them is the dataset's
  // current record. Setting ActiveRecord makes the fields read that row of
  // the window (for painting); set it back afterwards.
  int BufferCount() const { return bufferCount_; }
  void SetBufferCount(int count);
  int RecordCount() const;
  int ActiveRecord() const;
  void SetActiveRecord(int index);
  // Starts editing through the data source; answers Editing().
  bool Edit();
  // Asks the control to write its pending edit (UpdateData) now.
  void UpdateRecord();

 protected:
  virtual void ActiveChanged() {}
  virtual void EditingChanged() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  // distance: how many records the window moved (positive: towards the end).
  virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
  virtual void LayoutChanged() { DataSetChanged(); }
  // field is null when the whole record changed.
  virtual void RecordChanged(TField* /*field*/) {}
  virtual void UpdateData() {}
  virtual void CheckBrowseMode() {}

 private:
  friend class TDataSource;
  friend class TDataSet;
  void DataEvent(TDataEvent event, const void* info);
  void UpdateState();
  void UpdateRange();

  TDataSource* dataSource_ = nullptr;
  int firstRecord_ = 0;
  int bufferCount_ = 1;
  bool active_ = false;
  bool editing_ = false;
  bool readOnly_ = false;
  bool updating_ = false;
};

}  // namespace dataset
