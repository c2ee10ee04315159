#pragma once
// A dataset whose rows live in memory: the scratch dataset of the program
// and the dataset the tests of every module that consumes datasets use.
//
// The structure is the field definitions given before the first open
// (FieldDefs().Add(...), then Open() or CreateDataSet()). Rows are kept in
// one contiguous block of fixed-size images, in dataset order; each row has
// a stable identifier that is its bookmark, so bookmarks survive inserts and
// deletes of other rows. BLOB values are kept beside the images.
//
// Row image: per field definition one presence byte and the native value
// (BLOB fields: the presence byte only). Record buffer: the row image, then
// the row identifier (8 bytes), the bookmark flag (1 byte) and the row's
// position when it was read (4 bytes), which makes finding it again cheap.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "dataset/dataset.h"

namespace dataset {

class TMemoryDataSet : public TDataSet {
 public:
  TMemoryDataSet() = default;
  ~TMemoryDataSet() override;

  // Takes the current field definitions as the structure, drops every row
  // and opens.
  void CreateDataSet();
  // Removes every row (the dataset stays open).
  void EmptyDataSet();
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }

  int CompareBookmarks(const TBookmark& left, const TBookmark& right) override;
  bool BookmarkValid(const TBookmark& bookmark) override;
  std::unique_ptr<TBlobStream> CreateBlobStream(TField& field, TBlobStreamMode mode) override;

  // Records read through the record hook since the last reset: lets tests
  // see how much of the data a view touched.
  int64_t RecordReads() const { return recordReads_; }
  void ResetRecordReads() { recordReads_ = 0; }

 protected:
  int RecordBufferSize() override { return recordSize_ + kBookmarkPartSize; }
  int GetRecordSize() override { return recordSize_; }
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;
  TBookmark GetBookmarkData(const TRecordBuffer buffer) override;
  void SetBookmarkData(TRecordBuffer buffer, const TBookmark& bookmark) override;
  TBookmarkFlag GetBookmarkFlag(const TRecordBuffer buffer) override;
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
  void InternalFirst() override { cursor_ = -1; }
  void InternalLast() override { cursor_ = RowCount(); }
  void InternalGotoBookmark(const TBookmark& bookmark) override;
  void InternalSetToRecord(TRecordBuffer buffer) override;
  void InternalInitFieldDefs() override;
  void InternalInitRecord(TRecordBuffer buffer) override;
  void InternalOpen() override;
  void InternalClose() override { open_ = false; }
  bool IsCursorOpen() const override { return open_; }
  void InternalPost() override;
  void InternalDelete() override;
  void InternalCancel() override { pendingBlobs_.clear(); }
  void InternalEdit() override { pendingBlobs_.clear(); }
  void InternalInsert() override { pendingBlobs_.clear(); }
  bool GetFieldData(const TField& field, void* dest) override;
  void SetFieldData(TField& field, const void* source) override;
  int GetRecordCount() override;
  int GetRecNo() override;
  bool InternalSetToRecNo(int recNo) override;
  bool GetCanModify() const override { return !readOnly_; }

 private:
  static constexpr int kBookmarkPartSize = 13;
  struct Column {
    int offset = 0;      // of the presence byte in the image
    int dataSize = 0;    // bytes of the native value
    int blobIndex = -1;  // among the BLOB columns, or -1
  };
  using BlobValues = std::vector<std::optional<std::string>>;

  int RowCount() const { return static_cast<int>(ids_.size()); }
  int64_t IdOf(const TRecordBuffer buffer) const;
  int HintOf(const TRecordBuffer buffer) const;
  // The row's position, -1 when it no longer exists.
  int FindRow(int64_t id, int hint);
  void InvalidatePositions() { positionsValid_ = false; }
  const Column& ColumnOf(const TField& field) const;
  std::optional<std::string> BlobValue(const Column& column);

  TFieldDefs structure_;
  bool structureCreated_ = false;
  std::vector<Column> columns_;
  int blobColumns_ = 0;
  int recordSize_ = 0;
  bool open_ = false;
  bool readOnly_ = false;

  std::vector<uint8_t> images_;  // RowCount() rows of recordSize_ bytes
  std::vector<int64_t> ids_;
  std::unordered_map<int64_t, BlobValues> blobs_;
  int64_t nextId_ = 1;
  int cursor_ = -1;  // -1 before the first row, RowCount() after the last
  std::unordered_map<int64_t, int> positions_;
  bool positionsValid_ = false;
  // BLOB values written to the record being edited, by BLOB column.
  std::map<int, std::optional<std::string>> pendingBlobs_;
  int64_t recordReads_ = 0;
};

}  // namespace dataset
