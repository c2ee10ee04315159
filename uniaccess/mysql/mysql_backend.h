#pragma once
// The MySQL/MariaDB backend over MariaDB Connector/C. Results are stored
// whole on the client (mysql_store_result) and read by random row access.

#include <memory>
#include <string>
#include <vector>

#include "uniaccess/backend.h"

struct st_mysql;
struct st_mysql_res;

namespace uniaccess::mysql {

class MysqlConnection : public BackendConnection {
 public:
  explicit MysqlConnection(st_mysql* mysql) : mysql_(mysql) {}
  ~MysqlConnection() override;
  MysqlConnection(const MysqlConnection&) = delete;
  MysqlConnection& operator=(const MysqlConnection&) = delete;
  st_mysql* Handle() const { return mysql_; }

 private:
  st_mysql* mysql_;
};

class MysqlResult : public BackendResult {
 public:
  explicit MysqlResult(st_mysql_res* result) : result_(result) {}
  ~MysqlResult() override;
  MysqlResult(const MysqlResult&) = delete;
  MysqlResult& operator=(const MysqlResult&) = delete;
  st_mysql_res* Handle() const { return result_; }

  // For each dataset field, the result column it comes from and that
  // column's type code (filled by DescribeFields).
  struct Source {
    unsigned column;
    int type;
  };
  std::vector<Source> sources;
  // Where each stored row starts, so that any row is reached at once.
  std::vector<void*> rowOffsets;

 private:
  st_mysql_res* result_;
};

inline constexpr unsigned kDefaultMysqlPort = 3306;

// The port to dial first: the component's Port when it is a valid port
// number, 3306 otherwise.
unsigned ConnectPort(const std::string& portText);

// A MySQL string literal of text, escaped without a connection (for the
// character sets where backslash escaping is enough: UTF-8 and single-byte).
std::string QuoteMysqlString(std::string_view text);

class MysqlBackend : public Backend {
 public:
  std::string Name() const override { return "MySQL"; }
  bool Connect(std::unique_ptr<BackendConnection>& handle, const ConnectParams& params) override;
  void Disconnect(std::unique_ptr<BackendConnection> handle) override;
  platform::StringList ListDatabases(BackendConnection* handle) override;
  platform::StringList ListTables(BackendConnection* handle) override;
  platform::StringList ListIndexes(BackendConnection* handle, std::string_view table) override;
  std::vector<ColumnType> ColumnTypes(BackendConnection* handle, std::string_view table) override;
  bool Execute(BackendConnection* handle, std::string_view statement) override;
  void DiscardPendingRows(BackendConnection* handle) override;
  std::unique_ptr<BackendResult> OpenResult(BackendConnection* handle) override;
  int64_t RowCount(BackendResult& result) override;
  std::vector<UniFieldDesc> DescribeFields(BackendResult& result) override;
  bool FetchRow(BackendResult& result, int64_t row, const RecordLayout& layout, uint8_t* image,
                std::string& problem) override;
  // NULL is known from the protocol; an empty text is a value.
  bool IsNullString(std::string_view) const override { return false; }
  std::string LastError(BackendConnection* handle) override;
  std::string FormatDate(platform::DateTime date) const override;
  std::string FormatDateTime(platform::DateTime value) const override;
  std::string QuoteString(BackendConnection* handle, std::string_view text) override;

 private:
  // Rows of a listing query, the first column of each; empty when it fails.
  platform::StringList FirstColumnOf(BackendConnection* handle, std::string_view statement);

  std::string lastConnectError_;
};

std::unique_ptr<Backend> CreateMysqlBackend();

}  // namespace uniaccess::mysql
