#pragma once
// Tunisqldataset: the dataset every result of the uniform data access is
// read through. It runs its statement text through the installed backend,
// keeps the whole result on the client and serves records by row number,
// each converted into a record image (record_layout.h) when it is read.
//
// Buffers hold the image, the row number (32-bit) and a bookmark-flag byte;
// a bookmark is the row number. The ChangeCache holds the images of rows
// posted while the dataset stayed open, and marks deleted rows, so that the
// fetched result shows them without a new query.
//
// Backend failures are shown to the user with the backend's text and are
// not raised: a failed open leaves an open dataset without rows.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dataset/dataset.h"
#include "platform/string_list.h"
#include "uniaccess/backend.h"
#include "uniaccess/record_layout.h"
#include "uniaccess/unisql_database.h"

namespace uniaccess {

class Tunisqldataset : public dataset::TDataSet {
 public:
  // Row number -> the row's image as posted, or no image for a deleted row.
  using ChangeCache = std::map<int, std::optional<std::vector<uint8_t>>>;
  static constexpr size_t kChangeCacheLimit = 100;

  Tunisqldataset();
  ~Tunisqldataset() override;

  TUniSQLDatabase* Database() const { return database_; }
  void SetDatabase(TUniSQLDatabase* database) { database_ = database; }
  // Kept for the published interface: always reads empty, writes are ignored.
  std::string About() const { return {}; }
  void SetAbout(std::string_view) {}

  // Runs the statement text without producing rows.
  virtual void ExecSQL();

  const ChangeCache& Cache() const { return cache_; }
  // Whether the last open or ExecSQL met a failure (which was shown).
  bool LastRunFailed() const { return lastRunFailed_; }

 protected:
  // The text to run: lines joined with CR LF. Descendants fill it in
  // PrepareStatement, which runs before every open and before the field
  // definitions are built while closed.
  platform::StringList& StatementText() { return statement_; }
  virtual void PrepareStatement() {}
  ChangeCache& MutableCache() { return cache_; }
  Backend* InstalledBackend() const;
  BackendConnection* Handle() const { return handle_; }
  int RowNumber() const { return row_; }
  void SetRowNumber(int row) { row_ = row; }
  int RowCount() const { return rowCount_; }
  void SetRowCount(int count) { rowCount_ = count; }
  const RecordLayout& Layout() const { return layout_; }
  // The row number held in a buffer.
  int RowOf(const dataset::TRecordBuffer buffer) const;
  // Runs one statement as ExecSQL does (busy cursor, checks, error shown).
  void ExecuteStatement(const std::string& text);
  // Shows a failure through the installed dialogs and remembers it.
  void Show(const std::string& text);
  // The backend a statement runs through; null (and the reason shown) when
  // the dataset has no database, the database is not connected or no
  // backend is installed.
  Backend* BackendToRun();
  void ResetRunFailure() { lastRunFailed_ = false; }

  int RecordBufferSize() override { return imageSize_; }
  int GetRecordSize() override { return recordSize_; }
  dataset::TGetResult GetRecord(dataset::TRecordBuffer buffer, dataset::TGetMode mode,
                                bool doCheck) override;
  dataset::TBookmark GetBookmarkData(const dataset::TRecordBuffer buffer) override;
  void SetBookmarkData(dataset::TRecordBuffer buffer, const dataset::TBookmark& bookmark) override;
  dataset::TBookmarkFlag GetBookmarkFlag(const dataset::TRecordBuffer buffer) override;
  void SetBookmarkFlag(dataset::TRecordBuffer buffer, dataset::TBookmarkFlag flag) override;
  void InternalFirst() override { row_ = -1; }
  void InternalLast() override { row_ = rowCount_; }
  void InternalGotoBookmark(const dataset::TBookmark& bookmark) override;
  void InternalSetToRecord(dataset::TRecordBuffer buffer) override;
  void InternalInitFieldDefs() override;
  void InternalInitRecord(dataset::TRecordBuffer buffer) override;
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return open_; }
  void InternalPost() override;
  void InternalDelete() override;
  bool GetFieldData(const dataset::TField& field, void* dest) override;
  void SetFieldData(dataset::TField& field, const void* source) override;
  int GetRecordCount() override { return rowCount_; }
  int GetRecNo() override;
  bool InternalSetToRecNo(int recNo) override;
  bool GetCanModify() const override { return false; }

 private:
  // Steps shared by open and by building the field definitions while closed:
  // the "teszt.ini" rule, Execute and OpenResult. Null when it failed (the
  // failure has been shown).
  std::unique_ptr<BackendResult> RunForResult(BackendConnection* handle);
  void SaveStatementForTesting(const std::string& text) const;
  void FillFieldDefs(const std::vector<UniFieldDesc>& descs);
  std::string JoinedStatement() const;
  bool RowDeleted(int row) const;
  bool ReadRow(int row, dataset::TRecordBuffer buffer);
  const FieldSlot& SlotOf(const dataset::TField& field) const;

  TUniSQLDatabase* database_ = nullptr;
  platform::StringList statement_;
  BackendConnection* handle_ = nullptr;
  std::unique_ptr<BackendResult> result_;
  RecordLayout layout_;
  int row_ = -1;
  int rowCount_ = 0;
  int recordSize_ = 0;
  int imageSize_ = 5;
  bool open_ = false;
  bool lastRunFailed_ = false;
  ChangeCache cache_;
  // What the backend reported about the row just read; kept so that reading
  // allocates nothing while rows convert cleanly.
  std::string problem_;
};

}  // namespace uniaccess
