#include "dataset/data_source.h"

#include <algorithm>

namespace dataset {

TDataSource::~TDataSource() {
  SetDataSet(nullptr);
  const std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links)
    link->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet_ == dataSet)
    return;
  if (dataSet_ != nullptr) {
    auto& sources = dataSet_->dataSources_;
    sources.erase(std::remove(sources.begin(), sources.end(), this), sources.end());
    dataSet_->UpdateBufferCount();
  }
  dataSet_ = dataSet;
  if (dataSet_ != nullptr) {
    dataSet_->dataSources_.push_back(this);
    dataSet_->UpdateBufferCount();
  }
  UpdateState();
}

void TDataSource::SetEnabled(bool value) {
  enabled_ = value;
  UpdateState();
}

void TDataSource::Edit() {
  if (autoEdit_ && state_ == TDataSetState::dsBrowse && dataSet_ != nullptr)
    dataSet_->Edit();
}

void TDataSource::UpdateState() {
  const TDataSetState state =
      (dataSet_ != nullptr && enabled_) ? dataSet_->State() : TDataSetState::dsInactive;
  if (state == state_)
    return;
  const bool wasActive = state_ != TDataSetState::dsInactive;
  state_ = state;
  const std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links)
    link->UpdateState();
  if (OnStateChange)
    OnStateChange(*this);
  if (wasActive != (state_ != TDataSetState::dsInactive) && OnDataChange)
    OnDataChange(*this, nullptr);
}

void TDataSource::NotifyDataEvent(TDataEvent event, const void* info) {
  if (event == TDataEvent::deUpdateState) {
    UpdateState();
    return;
  }
  if (state_ == TDataSetState::dsInactive)
    return;
  const std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links)
    link->DataEvent(event, info);
  switch (event) {
    case TDataEvent::deFieldChange:
    case TDataEvent::deRecordChange:
      if (OnDataChange)
        OnDataChange(*this, const_cast<TField*>(static_cast<const TField*>(info)));
      break;
    case TDataEvent::deDataSetChange:
    case TDataEvent::deDataSetScroll:
    case TDataEvent::deLayoutChange:
      if (OnDataChange)
        OnDataChange(*this, nullptr);
      break;
    case TDataEvent::deUpdateRecord:
      if (OnUpdateData)
        OnUpdateData(*this);
      break;
    default:
      break;
  }
}

void TDataSource::AddLink(TDataLink* link) {
  links_.push_back(link);
  if (dataSet_ != nullptr)
    dataSet_->UpdateBufferCount();
}

void TDataSource::RemoveLink(TDataLink* link) {
  links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
  if (dataSet_ != nullptr)
    dataSet_->UpdateBufferCount();
}

// ---------------------------------------------------------------- TDataLink

TDataLink::~TDataLink() {
  if (dataSource_ != nullptr)
    dataSource_->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* dataSource) {
  if (dataSource_ == dataSource)
    return;
  if (dataSource_ != nullptr)
    dataSource_->RemoveLink(this);
  dataSource_ = dataSource;
  if (dataSource_ != nullptr)
    dataSource_->AddLink(this);
  UpdateState();
}

void TDataLink::SetReadOnly(bool value) {
  readOnly_ = value;
  UpdateState();
}

void TDataLink::UpdateState() {
  const TDataSetState state = dataSource_ ? dataSource_->State() : TDataSetState::dsInactive;
  const bool active = state != TDataSetState::dsInactive;
  const bool editing =
      !readOnly_ && (state == TDataSetState::dsEdit || state == TDataSetState::dsInsert);
  if (active != active_) {
    active_ = active;
    firstRecord_ = 0;
    if (active_)
      UpdateRange();
    ActiveChanged();
  }
  if (editing != editing_) {
    editing_ = editing;
    EditingChanged();
  }
}

void TDataLink::SetBufferCount(int count) {
  count = std::max(count, 1);
  if (bufferCount_ == count)
    return;
  bufferCount_ = count;
  if (TDataSet* dataSet = DataSet()) {
    dataSet->UpdateBufferCount();
    if (active_)
      UpdateRange();
  }
}

int TDataLink::RecordCount() const {
  TDataSet* dataSet = DataSet();
  if (!active_ || dataSet == nullptr)
    return 0;
  if (dataSet->State() == TDataSetState::dsSetKey)
    return 1;
  return std::min(dataSet->recordCount_ - firstRecord_, bufferCount_);
}

int TDataLink::ActiveRecord() const {
  TDataSet* dataSet = DataSet();
  if (!active_ || dataSet == nullptr || dataSet->State() == TDataSetState::dsSetKey)
    return 0;
  return dataSet->activeRecord_ - firstRecord_;
}

void TDataLink::SetActiveRecord(int index) {
  TDataSet* dataSet = DataSet();
  if (!active_ || dataSet == nullptr || dataSet->State() == TDataSetState::dsSetKey)
    return;
  dataSet->activeRecord_ =
      std::clamp(index + firstRecord_, 0, std::max(0, dataSet->recordCount_ - 1));
}

void TDataLink::UpdateRange() {
  TDataSet* dataSet = DataSet();
  if (dataSet == nullptr)
    return;
  const int active = dataSet->activeRecord_;
  const int low = std::max(0, active - bufferCount_ + 1);
  const int high = std::max(0, std::min(active, dataSet->recordCount_ - bufferCount_));
  firstRecord_ = std::clamp(firstRecord_, low, std::max(low, high));
}

bool TDataLink::Edit() {
  if (!readOnly_ && dataSource_ != nullptr)
    dataSource_->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() {
  updating_ = true;
  try {
    UpdateData();
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
}

void TDataLink::DataEvent(TDataEvent event, const void* info) {
  if (!active_)
    return;
  switch (event) {
    case TDataEvent::deFieldChange:
    case TDataEvent::deRecordChange:
      if (!updating_)
        RecordChanged(const_cast<TField*>(static_cast<const TField*>(info)));
      break;
    case TDataEvent::deDataSetChange:
    case TDataEvent::deLayoutChange: {
      UpdateRange();
      if (event == TDataEvent::deDataSetChange) {
        DataSetChanged();
      } else {
        LayoutChanged();
      }
      break;
    }
    case TDataEvent::deDataSetScroll: {
      // The dataset's buffers moved by `shift` records towards the end; the
      // window follows them, then is kept around the active record.
      const int shift = info != nullptr ? *static_cast<const int*>(info) : 0;
      const int before = firstRecord_;
      firstRecord_ -= shift;
      UpdateRange();
      DataSetScrolled(shift + firstRecord_ - before);
      break;
    }
    case TDataEvent::deUpdateRecord:
      UpdateRecord();
      break;
    case TDataEvent::deCheckBrowseMode:
      CheckBrowseMode();
      break;
    default:
      break;
  }
}

}  // namespace dataset
