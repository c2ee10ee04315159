#pragma once
// The operation table of one database kind. Connect installs one backend
// for the whole process (see sql_mode.h); database components and datasets
// reach their engine only through it.
//
// Backends report failures to their caller (return values, LastError, the
// problem text of FetchRow); the components show them to the user.
//
// A connection handle is owned by its database component; datasets borrow
// it. A result belongs to the dataset that opened it and is freed by
// destroying it.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dataset/field_type.h"
#include "platform/date_time.h"
#include "platform/string_list.h"

namespace uniaccess {

class RecordLayout;

class BackendConnection {
 public:
  virtual ~BackendConnection() = default;
};

class BackendResult {
 public:
  virtual ~BackendResult() = default;
};

struct ConnectParams {
  std::string host;
  std::string user;
  std::string password;
  std::string database;
  std::string port;  // as the component holds it; each backend reads what it needs
};

// One column of a result as the dataset shows it.
struct UniFieldDesc {
  std::string name;
  dataset::TFieldType type = dataset::TFieldType::ftUnknown;
  int size = 0;          // the width of a string field, in bytes
  int displayWidth = 0;  // characters a column of it needs; 0: the field's default
};

class Backend {
 public:
  virtual ~Backend() = default;

  // "MySQL", "ADO" or "KestrelTable".
  virtual std::string Name() const = 0;
  // Runs every time the backend is installed by a Connect.
  virtual void OnInstall() {}

  // Opens a connection. The handle may be set even when the answer is false
  // (the server is reachable but the database could not be selected).
  virtual bool Connect(std::unique_ptr<BackendConnection>& handle, const ConnectParams& params) = 0;
  // Closes the connection; never fails.
  virtual void Disconnect(std::unique_ptr<BackendConnection> handle) = 0;

  virtual platform::StringList ListDatabases(BackendConnection* handle) = 0;
  virtual platform::StringList ListTables(BackendConnection* handle) = 0;
  // One entry per index: its name, " (", its columns joined by ",", ")".
  virtual platform::StringList ListIndexes(BackendConnection* handle, std::string_view table) = 0;

  // Each column of a table with its type as the server declares it
  // ("varchar(20)", "int(10) unsigned"), in column order; empty when the
  // backend cannot tell.
  struct ColumnType {
    std::string name;
    std::string type;
  };
  virtual std::vector<ColumnType> ColumnTypes(BackendConnection*, std::string_view) { return {}; }

  // Runs one statement; rows it returns stay pending for OpenResult.
  virtual bool Execute(BackendConnection* handle, std::string_view statement) = 0;
  // Drops rows a statement left pending, so the connection can run the next one.
  virtual void DiscardPendingRows(BackendConnection* handle) = 0;
  // Makes the pending rows a result; throws platform::Exception on failure.
  virtual std::unique_ptr<BackendResult> OpenResult(BackendConnection* handle) = 0;

  virtual int64_t RowCount(BackendResult& result) = 0;
  // The dataset fields of a result, in column order; columns of types the
  // datasets do not carry are left out.
  virtual std::vector<UniFieldDesc> DescribeFields(BackendResult& result) = 0;
  // Bytes of a record image of these fields.
  virtual int RecordSize(const RecordLayout& layout);
  // Converts one row (0-based) of the result into a record image laid out
  // by DescribeFields' fields; false when the row cannot be read. A value
  // that cannot be converted is left empty and described in `problem` (the
  // row still counts as read): backends never talk to the user themselves,
  // the dataset shows what they report.
  virtual bool FetchRow(BackendResult& result, int64_t row, const RecordLayout& layout,
                        uint8_t* image, std::string& problem) = 0;
  // Whether the text of a string field that has a value still stands for
  // none (engines whose drivers give NULL and empty text alike).
  virtual bool IsNullString(std::string_view text) const { return text.empty(); }

  // The text of the last failure ("MySQL Error /.../" and the like).
  virtual std::string LastError(BackendConnection* handle) = 0;
  // The SQL literal of a date, and of a date with its time of day.
  virtual std::string FormatDate(platform::DateTime date) const = 0;
  virtual std::string FormatDateTime(platform::DateTime value) const = 0;
  // The SQL literal of a text: quoted and escaped so that the server stores
  // exactly these bytes.
  virtual std::string QuoteString(BackendConnection* handle, std::string_view text) = 0;
};

}  // namespace uniaccess
