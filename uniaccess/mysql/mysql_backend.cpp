#include "uniaccess/mysql/mysql_backend.h"

#include <mysql.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "platform/errors.h"
#include "platform/text.h"
#include "uniaccess/mysql/mysql_values.h"
#include "uniaccess/record_layout.h"

namespace uniaccess::mysql {
namespace {

constexpr unsigned kConnectTimeoutSeconds = 15;

st_mysql* MysqlOf(BackendConnection* handle) {
  auto* connection = dynamic_cast<MysqlConnection*>(handle);
  return connection != nullptr ? connection->Handle() : nullptr;
}

void EnsureLibraryInitialised() {
  static std::once_flag once;
  std::call_once(once, [] { mysql_library_init(0, nullptr, nullptr); });
}

// A fresh connection object set up the way every attempt needs it.
st_mysql* NewConnectionObject() {
  st_mysql* mysql = mysql_init(nullptr);
  if (mysql != nullptr) {
    mysql_options(mysql, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    mysql_options(mysql, MYSQL_OPT_CONNECT_TIMEOUT, &kConnectTimeoutSeconds);
  }
  return mysql;
}

std::string BacktickQuoted(std::string_view name) {
  std::string quoted = "`";
  for (char c : name) {
    quoted += c;
    if (c == '`') {
      quoted += '`';
    }
  }
  return quoted + "`";
}

}  // namespace

MysqlConnection::~MysqlConnection() {
  if (mysql_ != nullptr) {
    mysql_close(mysql_);
  }
}

MysqlResult::~MysqlResult() {
  if (result_ != nullptr) {
    mysql_free_result(result_);
  }
}

unsigned ConnectPort(const std::string& portText) {
  int32_t port = 0;
  if (platform::TryStrToInt(platform::Trim(portText), port) && port > 0 && port <= 65535) {
    return static_cast<unsigned>(port);
  }
  return kDefaultMysqlPort;
}

std::string QuoteMysqlString(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    switch (c) {
      case '\0':
        quoted += "\\0";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\x1A':
        quoted += "\\Z";
        break;
      case '\\':
      case '\'':
      case '"':
        quoted += '\\';
        quoted += c;
        break;
      default:
        quoted += c;
        break;
    }
  }
  return quoted + "'";
}

bool MysqlBackend::Connect(std::unique_ptr<BackendConnection>& handle,
                           const ConnectParams& params) {
  EnsureLibraryInitialised();
  handle.reset();
  lastConnectError_.clear();

  st_mysql* mysql = NewConnectionObject();
  if (mysql == nullptr) {
    lastConnectError_ = "out of memory";
    return false;
  }
  if (mysql_real_connect(mysql, params.host.c_str(), params.user.c_str(), params.password.c_str(),
                         "", ConnectPort(params.port), nullptr, 0) == nullptr) {
    // The error of the attempt the user asked for is the one worth showing.
    lastConnectError_ = mysql_error(mysql);
    mysql_close(mysql);
    mysql = NewConnectionObject();
    if (mysql == nullptr ||
        mysql_real_connect(mysql, params.host.c_str(), params.user.c_str(), params.password.c_str(),
                           "mysql", 0, nullptr, 0) == nullptr) {
      if (mysql != nullptr) {
        mysql_close(mysql);
      }
      return false;
    }
  }
  handle = std::make_unique<MysqlConnection>(mysql);
  if (!params.database.empty() && mysql_select_db(mysql, params.database.c_str()) != 0) {
    return false;
  }
  return true;
}

void MysqlBackend::Disconnect(std::unique_ptr<BackendConnection> handle) {
  handle.reset();
}

platform::StringList MysqlBackend::FirstColumnOf(BackendConnection* handle,
                                                 std::string_view statement) {
  platform::StringList names;
  st_mysql* mysql = MysqlOf(handle);
  if (mysql == nullptr || !Execute(handle, statement)) {
    return names;
  }
  MysqlResult result(mysql_store_result(mysql));
  if (result.Handle() == nullptr) {
    return names;
  }
  while (MYSQL_ROW row = mysql_fetch_row(result.Handle())) {
    names.Add(row[0] != nullptr ? row[0] : "");
  }
  return names;
}

platform::StringList MysqlBackend::ListDatabases(BackendConnection* handle) {
  return FirstColumnOf(handle, "show databases");
}

platform::StringList MysqlBackend::ListTables(BackendConnection* handle) {
  return FirstColumnOf(handle, "show tables");
}

std::vector<Backend::ColumnType> MysqlBackend::ColumnTypes(BackendConnection* handle,
                                                           std::string_view table) {
  std::vector<ColumnType> columns;
  st_mysql* mysql = MysqlOf(handle);
  if (mysql == nullptr || !Execute(handle, "show columns from " + BacktickQuoted(table))) {
    return columns;
  }
  MysqlResult result(mysql_store_result(mysql));
  if (result.Handle() == nullptr || mysql_num_fields(result.Handle()) < 2) {
    return columns;
  }
  while (MYSQL_ROW row = mysql_fetch_row(result.Handle())) {
    columns.push_back({row[0] != nullptr ? row[0] : "", row[1] != nullptr ? row[1] : ""});
  }
  return columns;
}

platform::StringList MysqlBackend::ListIndexes(BackendConnection* handle, std::string_view table) {
  // One row per index column, in index order and then column order.
  platform::StringList entries;
  st_mysql* mysql = MysqlOf(handle);
  if (mysql == nullptr || !Execute(handle, "show indexes from " + BacktickQuoted(table))) {
    return entries;
  }
  MysqlResult result(mysql_store_result(mysql));
  if (result.Handle() == nullptr) {
    return entries;
  }
  int keyNameColumn = -1;
  int columnNameColumn = -1;
  const unsigned columns = mysql_num_fields(result.Handle());
  MYSQL_FIELD* fields = mysql_fetch_fields(result.Handle());
  for (unsigned i = 0; i < columns; ++i) {
    if (platform::SameText(fields[i].name, "Key_name")) {
      keyNameColumn = static_cast<int>(i);
    } else if (platform::SameText(fields[i].name, "Column_name")) {
      columnNameColumn = static_cast<int>(i);
    }
  }
  if (keyNameColumn < 0 || columnNameColumn < 0) {
    return entries;
  }
  std::vector<std::pair<std::string, std::string>> indexes;
  while (MYSQL_ROW row = mysql_fetch_row(result.Handle())) {
    const std::string key = row[keyNameColumn] != nullptr ? row[keyNameColumn] : "";
    const std::string column = row[columnNameColumn] != nullptr ? row[columnNameColumn] : "";
    if (indexes.empty() || indexes.back().first != key) {
      indexes.emplace_back(key, column);
    } else {
      indexes.back().second += "," + column;
    }
  }
  for (const auto& [key, columnList] : indexes) {
    entries.Add(key + " (" + columnList + ")");
  }
  return entries;
}

bool MysqlBackend::Execute(BackendConnection* handle, std::string_view statement) {
  st_mysql* mysql = MysqlOf(handle);
  if (mysql == nullptr) {
    return false;
  }
  DiscardPendingRows(handle);
  return mysql_real_query(mysql, statement.data(), static_cast<unsigned long>(statement.size())) ==
         0;
}

void MysqlBackend::DiscardPendingRows(BackendConnection* handle) {
  st_mysql* mysql = MysqlOf(handle);
  if (mysql == nullptr) {
    return;
  }
  // A statement whose rows nobody read would make the next one fail with
  // "Commands out of sync".
  if (mysql->status == MYSQL_STATUS_GET_RESULT) {
    if (MYSQL_RES* pending = mysql_use_result(mysql)) {
      mysql_free_result(pending);
    }
  }
  while (mysql_more_results(mysql) && mysql_next_result(mysql) == 0) {
    if (MYSQL_RES* pending = mysql_use_result(mysql)) {
      mysql_free_result(pending);
    }
  }
}

std::unique_ptr<BackendResult> MysqlBackend::OpenResult(BackendConnection* handle) {
  st_mysql* mysql = MysqlOf(handle);
  if (mysql == nullptr) {
    throw platform::Exception("Connection not defined");
  }
  MYSQL_RES* result = mysql_store_result(mysql);
  if (result == nullptr) {
    throw platform::Exception(mysql_error(mysql));
  }
  return std::make_unique<MysqlResult>(result);
}

int64_t MysqlBackend::RowCount(BackendResult& result) {
  return static_cast<int64_t>(mysql_num_rows(dynamic_cast<MysqlResult&>(result).Handle()));
}

std::vector<UniFieldDesc> MysqlBackend::DescribeFields(BackendResult& result) {
  auto& mysqlResult = dynamic_cast<MysqlResult&>(result);
  MYSQL_RES* res = mysqlResult.Handle();
  const unsigned count = mysql_num_fields(res);
  MYSQL_FIELD* fields = mysql_fetch_fields(res);
  std::vector<UniFieldDesc> descs;
  mysqlResult.sources.clear();
  for (unsigned i = 0; i < count; ++i) {
    MysqlColumnFacts facts;
    facts.name = fields[i].name;
    facts.type = static_cast<int>(fields[i].type);
    facts.isUnsigned = (fields[i].flags & UNSIGNED_FLAG) != 0;
    facts.length = fields[i].length;
    facts.maxLength = fields[i].max_length;
    if (const MARIADB_CHARSET_INFO* charset = mariadb_get_charset_by_nr(fields[i].charsetnr)) {
      facts.charMaxLen = charset->char_maxlen;
    }
    UniFieldDesc desc = DescribeMysqlColumn(facts);
    if (desc.type == dataset::TFieldType::ftUnknown)
      continue;
    descs.push_back(std::move(desc));
    mysqlResult.sources.push_back({i, facts.type});
  }
  return descs;
}

bool MysqlBackend::FetchRow(BackendResult& result, int64_t row, const RecordLayout& layout,
                            uint8_t* image, std::string& problem) {
  auto& mysqlResult = dynamic_cast<MysqlResult&>(result);
  MYSQL_RES* res = mysqlResult.Handle();
  const auto rows = static_cast<int64_t>(mysql_num_rows(res));
  if (row < 0 || row >= rows)
    return false;
  if (mysqlResult.rowOffsets.empty()) {
    // One pass over the stored rows; mysql_data_seek would walk them all
    // again for every read.
    mysqlResult.rowOffsets.reserve(static_cast<size_t>(rows));
    mysql_data_seek(res, 0);
    for (int64_t i = 0; i < rows; ++i) {
      mysqlResult.rowOffsets.push_back(mysql_row_tell(res));
      if (mysql_fetch_row(res) == nullptr)
        break;
    }
  }
  if (static_cast<size_t>(row) >= mysqlResult.rowOffsets.size())
    return false;
  mysql_row_seek(res,
                 static_cast<MYSQL_ROW_OFFSET>(mysqlResult.rowOffsets[static_cast<size_t>(row)]));
  MYSQL_ROW values = mysql_fetch_row(res);
  unsigned long* lengths = mysql_fetch_lengths(res);
  if (values == nullptr || lengths == nullptr)
    return false;
  layout.Clear(image);
  const int count = std::min(layout.FieldCount(), static_cast<int>(mysqlResult.sources.size()));
  for (int i = 0; i < count; ++i) {
    const MysqlResult::Source& source = mysqlResult.sources[static_cast<size_t>(i)];
    const char* value = values[source.column];
    if (value == nullptr)
      continue;  // NULL: 0, empty text, no date
    const std::string_view text(value, lengths[source.column]);
    switch (layout.Slot(i).desc.type) {
      case dataset::TFieldType::ftFloat: {
        std::string cleaned;
        if (const std::optional<double> number = MysqlFloat(text, cleaned)) {
          layout.PutFloat(image, i, *number);
        } else {
          problem = "UniSQLerror StrToFloat " + cleaned;
        }
        break;
      }
      case dataset::TFieldType::ftInteger:
      case dataset::TFieldType::ftLargeint: {
        int64_t number = 0;
        if (platform::TryStrToInt64(text, number))
          layout.PutInteger(image, i, number);
        break;
      }
      case dataset::TFieldType::ftDate:
        if (auto date = MysqlDate(text))
          layout.PutDateTime(image, i, *date);
        break;
      case dataset::TFieldType::ftDateTime:
        if (auto moment = MysqlDateTime(text))
          layout.PutDateTime(image, i, *moment);
        break;
      case dataset::TFieldType::ftTime:
        if (auto time = MysqlTime(text))
          layout.PutDateTime(image, i, *time);
        break;
      default:
        layout.PutText(image, i, text);
        break;
    }
  }
  return true;
}

std::string MysqlBackend::LastError(BackendConnection* handle) {
  st_mysql* mysql = MysqlOf(handle);
  std::string message = mysql != nullptr ? mysql_error(mysql) : lastConnectError_;
  if (message.empty() && mysql == nullptr) {
    message = "Connection not defined";
  }
  return "MySQL Error /" + message + "/";
}

std::string MysqlBackend::FormatDate(platform::DateTime date) const {
  const platform::DateParts parts = platform::DecodeDate(date);
  char text[32];
  std::snprintf(text, sizeof text, "'%04d-%02d-%02d'", parts.year, parts.month, parts.day);
  return text;
}

std::string MysqlBackend::FormatDateTime(platform::DateTime value) const {
  const platform::DateParts date = platform::DecodeDate(value);
  const platform::TimeParts time = platform::DecodeTime(value);
  char text[48];
  std::snprintf(text, sizeof text, "'%04d-%02d-%02d %02d:%02d:%02d'", date.year, date.month,
                date.day, time.hour, time.minute, time.second);
  return text;
}

std::string MysqlBackend::QuoteString(BackendConnection* handle, std::string_view text) {
  st_mysql* mysql = MysqlOf(handle);
  if (mysql == nullptr) {
    return QuoteMysqlString(text);
  }
  std::string escaped(text.size() * 2 + 1, '\0');
  const unsigned long length = mysql_real_escape_string(mysql, escaped.data(), text.data(),
                                                        static_cast<unsigned long>(text.size()));
  escaped.resize(length);
  return "'" + escaped + "'";
}

std::unique_ptr<Backend> CreateMysqlBackend() {
  return std::make_unique<MysqlBackend>();
}

}  // namespace uniaccess::mysql
