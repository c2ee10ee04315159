#pragma once
// TUniSQLTable: the editable dataset over one table. Every posted insert,
// posted edit and delete becomes one SQL statement run at once through the
// installed backend. Rows are identified by the values of all their fields
// (KeyWhere), not by keys. Posted and deleted rows show through the
// ChangeCache without a new query; after 100 entries the table is read
// again at the same record.
//
// The dataset's Filter and Filtered are the table's WHERE condition: they
// shape the statement of the next open.

#include <string>
#include <vector>

#include "platform/string_list.h"
#include "uniaccess/unisql_dataset.h"

namespace uniaccess {

class TUniSQLTable : public Tunisqldataset {
 public:
  TUniSQLTable() = default;
  ~TUniSQLTable() override;

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  const std::string& Tablename() const { return tablename_; }
  void SetTablename(std::string name) { tablename_ = std::move(name); }
  const std::string& IndexFields() const { return indexFields_; }
  void SetIndexFields(std::string fields) { indexFields_ = std::move(fields); }
  const std::string& AutoIncField() const { return autoIncField_; }
  void SetAutoIncField(std::string name) { autoIncField_ = std::move(name); }

  // "SELECT * FROM <table>", the WHERE line and the ORDER BY line.
  std::string OpenStatement() const;
  // The WHERE clause that names the current record by all its values.
  std::string KeyWhere() const;
  // The indexes of the table, as the backend lists them.
  platform::StringList GetIndexNames();
  // Each column of the table with its type as the server declares it, in
  // column order; empty when the backend cannot tell.
  using ColumnType = Backend::ColumnType;
  std::vector<ColumnType> ColumnTypes();
  // The SQL literal of a field's value for the installed backend, as the
  // table's own write statements carry it (see sql_literals.h).
  // REQUIRES: the table is open.
  std::string FieldLiteral(const dataset::TField& field) const;

 protected:
  void PrepareStatement() override;
  void InternalEdit() override;
  void InternalPost() override;
  void InternalDelete() override;
  void InternalPostCompleted() override { FlushCacheWhenFull(); }
  void InternalDeleteCompleted() override { FlushCacheWhenFull(); }
  bool GetCanModify() const override { return !readOnly_; }

 private:
  // Whether a field carries a value that statements read and write.
  bool Writable(const dataset::TField& field) const;
  std::string KeyItem(const dataset::TField& field) const;
  int64_t NextAutoIncNumber(class TUniSQLQuery& helper);
  void Run(const std::string& statement);
  void StoreInCache(int row);
  void FlushCacheWhenFull();

  bool readOnly_ = false;
  std::string tablename_;
  std::string indexFields_;
  std::string autoIncField_;
  std::string keyWhere_;
};

}  // namespace uniaccess
