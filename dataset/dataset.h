#pragma once
// The abstract dataset every view of data works on.
//
// An implementation supplies records through the protected hooks; this class
// adds fields, navigation, the states and their events, editing, filtering,
// calculated fields and the notification of linked data sources.
//
// Record buffers. The dataset keeps a window of buffers, as many as the
// largest window a linked control asks for (at least one), plus one spare
// used while reading ahead, one for the record being filtered and one temp
// buffer. Each buffer holds the implementation's RecordBufferSize() bytes
// (its record image, bookmark and bookmark flag), followed by the area of the
// calculated fields (one presence byte and the native value per field).
//
// Invariants: recordCount_ <= bufferCount_; 0 <= activeRecord_ < max(1,
// recordCount_); buffers_[recordCount_] is the spare; currentRecord_ is the
// index of the buffer whose record the implementation's cursor is on, or -1
// when that is unknown.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dataset/blob_stream.h"
#include "dataset/field.h"
#include "dataset/field_def.h"
#include "dataset/variant.h"

namespace dataset {

class TDataSource;

enum class TDataSetState : uint8_t {
  dsInactive,
  dsBrowse,
  dsEdit,
  dsInsert,
  dsSetKey,
  dsCalcFields,
  dsFilter,
  dsNewValue,
  dsOldValue,
  dsCurValue,
};

enum class TDataEvent : uint8_t {
  deFieldChange,
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,
  deLayoutChange,
  deUpdateRecord,
  deUpdateState,
  deCheckBrowseMode,
  deFocusControl,
};

enum class TGetMode : uint8_t { gmCurrent, gmNext, gmPrior };
enum class TGetResult : uint8_t { grOK, grBOF, grEOF, grError };
enum class TBookmarkFlag : uint8_t { bfCurrent, bfBOF, bfEOF, bfInserted };
enum class TDataAction : uint8_t { daFail, daAbort, daRetry };

enum class TFilterOption : uint8_t { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = uint8_t;

enum class TLocateOption : uint8_t { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = uint8_t;
constexpr TLocateOptions operator|(TLocateOption a, TLocateOption b) {
  return static_cast<TLocateOptions>(static_cast<uint8_t>(a) | static_cast<uint8_t>(b));
}

using TBookmark = std::vector<uint8_t>;
using TRecordBuffer = uint8_t*;

// Raised by an event handler (or by daAbort) to stop an operation silently.
class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

class TDataSet {
 public:
  using TDataSetNotifyEvent = std::function<void(TDataSet&)>;
  using TDataSetErrorEvent =
      std::function<void(TDataSet&, const std::exception& error, TDataAction& action)>;
  using TFilterRecordEvent = std::function<void(TDataSet&, bool& accept)>;

  TDataSet();
  virtual ~TDataSet();
  TDataSet(const TDataSet&) = delete;
  TDataSet& operator=(const TDataSet&) = delete;

  // ---- Opening and state
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  bool Active() const { return state_ != TDataSetState::dsInactive; }
  void SetActive(bool value);
  TDataSetState State() const { return state_; }
  bool Modified() const { return modified_; }
  bool IsEmpty() const { return Active() && bof_ && eof_; }
  bool CanModify() const { return GetCanModify(); }
  // In insert state: whether the new record goes to the end (Append, or
  // Insert into an empty dataset) rather than before the current record.
  bool AppendingRecord() const;

  // ---- Navigation
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves by distance records; returns the distance moved.
  int MoveBy(int distance);
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  int RecordCount();
  // 1-based; -1 when the implementation does not number its records.
  int RecNo();
  void SetRecNo(int value);
  void Refresh();

  // ---- Bookmarks
  bool BookmarkAvailable() const;
  TBookmark GetBookmark();
  void GotoBookmark(const TBookmark& bookmark);
  void FreeBookmark(TBookmark& bookmark) { bookmark.clear(); }
  virtual bool BookmarkValid(const TBookmark& bookmark);
  // <0, 0 or >0 in the dataset's order.
  virtual int CompareBookmarks(const TBookmark& left, const TBookmark& right);

  // ---- Fields
  TFieldDefs& FieldDefs() { return fieldDefs_; }
  // Builds the definitions while the dataset is closed (or returns them).
  TFieldDefs& UpdatedFieldDefs();
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField& Fields(int index) const;
  TField* FindField(std::string_view name) const;
  // Raises "Field '%s' not found".
  TField& FieldByName(std::string_view name) const;
  // Adds a persistent field (for instance a calculated one) before opening;
  // with persistent fields no default fields are created.
  TField& AddField(std::unique_ptr<TField> field);
  bool DefaultFields() const { return defaultFields_; }

  // ---- Editing
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  // Asks linked controls to write their pending edits into the record.
  void UpdateRecord();
  // Rows (as lists of values, in field order) appended and posted in turn.
  void AppendRecord(const std::vector<Variant>& values);

  // ---- Controls
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ > 0; }

  // ---- Searching and filtering
  // keyFields: names separated by ";"; values: one per key field.
  virtual bool Locate(std::string_view keyFields, const std::vector<Variant>& values,
                      TLocateOptions options);
  bool Locate(std::string_view keyField, const Variant& value, TLocateOptions options) {
    return Locate(keyField, std::vector<Variant>{value}, options);
  }
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string_view text);
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool value);
  TFilterOptions FilterOptions() const { return filterOptions_; }
  void SetFilterOptions(TFilterOptions options);
  void SetOnFilterRecord(TFilterRecordEvent handler);
  bool AutoCalcFields() const { return autoCalcFields_; }
  void SetAutoCalcFields(bool value) { autoCalcFields_ = value; }

  // ---- BLOBs
  // A stream over a BLOB field of the active record; null when the value is
  // NULL and the mode is bmRead.
  virtual std::unique_ptr<TBlobStream> CreateBlobStream(TField& field, TBlobStreamMode mode);

  // ---- Reading rows for views
  // Reads the record with the given 1-based number into the temp buffer
  // without moving the current record; false when there is none. The
  // fields read from that record until ScopedRecordView ends.
  class ScopedRecordView {
   public:
    ScopedRecordView(TDataSet& dataSet, int recNo);
    ~ScopedRecordView();
    ScopedRecordView(const ScopedRecordView&) = delete;
    ScopedRecordView& operator=(const ScopedRecordView&) = delete;
    bool Found() const { return found_; }

   private:
    TDataSet& dataSet_;
    TRecordBuffer previous_;
    bool found_ = false;
  };

  // ---- Events
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent OnCalcFields, OnNewRecord;
  TDataSetErrorEvent OnDeleteError, OnEditError, OnPostError;

  // Reports an error raised inside the dataset; the application installs
  // one that shows it. Unset, errors propagate to the caller.
  std::function<void(const std::exception&)> OnHandleException;

  // ---- Used by fields and data links
  bool GetFieldBytes(const TField& field, void* dest);
  void SetFieldBytes(TField& field, const void* source);
  void DataEvent(TDataEvent event, const void* info = nullptr);
  int ActiveRecord() const { return activeRecord_; }
  int BufferRecordCount() const { return recordCount_; }
  int BufferCount() const { return bufferCount_; }

 protected:
  // ---- Hooks an implementation supplies
  virtual int RecordBufferSize() = 0;
  virtual int GetRecordSize() = 0;
  virtual void InternalInitRecordBuffer(TRecordBuffer) {}
  virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) = 0;
  virtual TBookmark GetBookmarkData(const TRecordBuffer buffer) = 0;
  virtual void SetBookmarkData(TRecordBuffer buffer, const TBookmark& bookmark) = 0;
  virtual TBookmarkFlag GetBookmarkFlag(const TRecordBuffer buffer) = 0;
  virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) = 0;
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  virtual void InternalGotoBookmark(const TBookmark& bookmark) = 0;
  virtual void InternalSetToRecord(TRecordBuffer buffer) = 0;
  virtual void InternalInitFieldDefs() = 0;
  virtual void InternalInitRecord(TRecordBuffer buffer) = 0;
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual bool IsCursorOpen() const = 0;
  // Writes the active buffer: a new record in insert state, the edited one
  // in edit state. Leaves the cursor on the written record.
  virtual void InternalPost() = 0;
  // Removes the current record; leaves the cursor near where it was.
  virtual void InternalDelete() = 0;
  virtual void InternalEdit() {}
  virtual void InternalInsert() {}
  virtual void InternalCancel() {}
  virtual void InternalRefresh() {}
  // Called once a post or delete is complete and the view re-read, before
  // the after-post or after-delete event: the place for work that reopens
  // the dataset.
  virtual void InternalPostCompleted() {}
  virtual void InternalDeleteCompleted() {}
  // Copies a field's native value out of (dest may be null) or into the
  // active buffer; the get answers whether a value is present.
  virtual bool GetFieldData(const TField& field, void* dest) = 0;
  virtual void SetFieldData(TField& field, const void* source) = 0;
  virtual int GetRecordCount() { return -1; }
  virtual int GetRecNo() { return -1; }
  // Positions the cursor on the record with the given number (1-based)
  // without reading it; false when there is none. The generic form steps
  // from the first record.
  virtual bool InternalSetToRecNo(int recNo);
  virtual bool GetCanModify() const { return true; }
  virtual void InternalHandleException(const std::exception& error);

  // ---- Services for implementations
  // Closes for destruction: no event handler is called, since the objects
  // they refer to may be gone already. Implementations call it from their
  // destructors, while their hooks still exist.
  void CloseForDestruction() noexcept;
  // The buffer fields read and write now: the record being filtered or
  // calculated, a record shown to a view, or the active record.
  TRecordBuffer ActiveBuffer() const;
  TRecordBuffer TempBuffer() const { return tempBuffer_.get(); }
  // The buffer of the record being edited or inserted; null in other states.
  TRecordBuffer EditBuffer() const;
  // Whether a record passes Filtered/OnFilterRecord; reads the buffer.
  bool RecordAccepted(TRecordBuffer buffer);
  bool FilterActive() const { return filtered_ && static_cast<bool>(onFilterRecord_); }
  // Re-reads the window around the record the cursor is on.
  enum ResyncMode : uint8_t { rmExact = 1, rmCenter = 2 };
  void Resync(uint8_t mode);
  void CursorPosChanged() { currentRecord_ = -1; }
  void UpdateCursorPos();
  void CheckActive() const;
  void CheckInactive() const;
  void CheckBrowseMode();
  void SetModified(bool value) { modified_ = value; }
  // Raises unless a data field may be written now (edit or insert state,
  // field not read-only).
  void CheckFieldWritable(const TField& field) const;
  // Reads through the hook, then computes calculated fields and applies
  // the filter (skipping records it rejects).
  TGetResult ReadRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck);

 private:
  friend class TDataSource;
  friend class TDataLink;
  friend class ScopedRecordView;

  void OpenCursor();
  void CloseCursor();
  void CreateDefaultFields();
  void BindFields(bool binding);
  void DestroyDefaultFields();
  void SetState(TDataSetState state);
  void AllocateBuffers();
  void FreeBuffers();
  void SetBufferCount(int count);
  void UpdateBufferCount();
  void ClearBuffers();
  void ActivateBuffers();
  void MoveBuffer(int from, int to);
  void SetCurrentRecord(int index);
  bool GetNextRecord();
  bool GetPriorRecord();
  int GetNextRecords();
  int GetPriorRecords();
  void InitRecord(TRecordBuffer buffer);
  void ClearCalcFields(TRecordBuffer buffer);
  void GetCalcFields(TRecordBuffer buffer);
  void CheckRequiredFields();
  void CheckCanModify() const;
  void BeginInsertAppend();
  void EndInsertAppend();
  void CheckOperation(void (TDataSet::*operation)(), TDataSetErrorEvent& errorEvent);
  void DoPost() { InternalPost(); }
  void DoDelete() { InternalDelete(); }
  void DoEdit() { InternalEdit(); }
  void Fire(const TDataSetNotifyEvent& event) {
    if (event)
      event(*this);
  }
  TRecordBuffer Buffer(int index) const { return buffers_[static_cast<size_t>(index)].get(); }
  uint8_t* CalcArea(TRecordBuffer buffer) const { return buffer + implBufferSize_; }
  bool KeyValuesMatch(const std::vector<TField*>& fields, const std::vector<Variant>& values,
                      TLocateOptions options) const;
  void RestateAfterFilterChange();

  TDataSetState state_ = TDataSetState::dsInactive;
  bool modified_ = false;
  bool bof_ = true;
  bool eof_ = true;
  TFieldDefs fieldDefs_;
  std::vector<std::unique_ptr<TField>> fields_;
  bool defaultFields_ = true;
  std::vector<TDataSource*> dataSources_;

  std::vector<std::unique_ptr<uint8_t[]>> buffers_;
  std::unique_ptr<uint8_t[]> tempBuffer_;
  std::unique_ptr<uint8_t[]> filterBuffer_;
  TRecordBuffer calcBuffer_ = nullptr;
  TRecordBuffer viewBuffer_ = nullptr;  // set by ScopedRecordView
  int implBufferSize_ = 0;
  int calcAreaSize_ = 0;
  int bufferCount_ = 0;
  int recordCount_ = 0;
  int activeRecord_ = 0;
  int currentRecord_ = -1;
  int disableCount_ = 0;
  TDataSetState disableState_ = TDataSetState::dsInactive;
  bool dataSetChangedWhileDisabled_ = false;

  std::string filter_;
  bool filtered_ = false;
  TFilterOptions filterOptions_ = 0;
  TFilterRecordEvent onFilterRecord_;
  bool autoCalcFields_ = true;
};

// Keeps a dataset's linked controls quiet for its lifetime, so that a long
// walk over the records repaints nothing; they catch up when it ends, also
// when the walk ends with an exception.
class ControlsDisabled {
 public:
  explicit ControlsDisabled(TDataSet& dataSet) : dataSet_(dataSet) { dataSet_.DisableControls(); }
  ~ControlsDisabled() { dataSet_.EnableControls(); }
  ControlsDisabled(const ControlsDisabled&) = delete;
  ControlsDisabled& operator=(const ControlsDisabled&) = delete;

 private:
  TDataSet& dataSet_;
};

}  // namespace dataset
