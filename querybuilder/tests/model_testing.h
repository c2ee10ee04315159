#pragma once
// Test support: an engine over a fixed list of tables and their fields, so
// the model, the SQL rules and the query file are tested without a server
// (the engine over the data access has its own tests against the test
// server); dialogs that record every message without answering from a
// script, for reading many damaged files in a row; the user's steps on a
// model by table and field names; and the model's invariants.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/user_dialogs.h"
#include "querybuilder/query_model.h"
#include "querybuilder/wren_engine.h"

namespace querybuilder::testing {

struct ListedTable {
  std::string name;
  std::vector<std::string> fields;
};

class ListEngine : public TWrenEngine {
 public:
  explicit ListEngine(std::vector<ListedTable> tables,
                      SqlNameDialect dialect = SqlNameDialect::kMySql);

  // Lists the tables and makes their aliases, as loading the table list does.
  void Load();
  // The table is gone from the database (its name is no longer listed and
  // its fields cannot be read).
  void DropTable(std::string_view name);

  void SetQuerySQL(std::string_view text) override { querySql_ = std::string(text); }
  void ReadTableList() override;
  void ReadFieldList(std::string_view table) override;
  bool SelectDatabase() override { return false; }
  void ClearQuerySQL() override;
  dataset::TDataSet* ResultQuery() override { return nullptr; }
  void OpenResultQuery() override { resultOpen_ = true; }
  void CloseResultQuery() override { resultOpen_ = false; }
  void SaveResultQuery() override {}
  SqlNameDialect NameDialect() const override { return dialect_; }

  const std::string& QuerySql() const { return querySql_; }
  bool ResultOpen() const { return resultOpen_; }
  int FieldReads() const { return fieldReads_; }

 private:
  std::vector<ListedTable> tables_;
  SqlNameDialect dialect_;
  std::string querySql_;
  bool resultOpen_ = false;
  int fieldReads_ = 0;
};

// Installs itself for its lifetime; answers every box with its default
// button and keeps the texts.
class RecordingDialogs : public platform::UserDialogs {
 public:
  RecordingDialogs();
  ~RecordingDialogs() override;
  RecordingDialogs(const RecordingDialogs&) = delete;
  RecordingDialogs& operator=(const RecordingDialogs&) = delete;

  const std::vector<std::string>& Messages() const { return messages_; }
  void Clear() { messages_.clear(); }

  platform::DialogButton ShowMessageBox(const platform::MessageRequest& request) override;
  std::optional<std::string> InputBox(std::string_view, std::string_view,
                                      std::string_view) override {
    return std::nullopt;
  }
  std::optional<platform::FileDialogResult> OpenFileDialog(
      const platform::FileDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<platform::FileDialogResult> SaveFileDialog(
      const platform::FileDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<platform::FontChoice> FontDialog(const platform::FontChoice&) override {
    return std::nullopt;
  }
  void BeginBusyCursor() override {}
  void EndBusyCursor() override {}
  void ProcessMessages() override {}

 private:
  platform::UserDialogs* previous_;
  std::vector<std::string> messages_;
};

// What the user does on the canvas, by names; a name that is not there
// fails the test.
class ModelSteps {
 public:
  explicit ModelSteps(QueryModel& model) : model_(model) {}

  // Drops the table on the canvas.
  TWrenTable& Box(const char* table, int left = 0, int top = 0);
  static int FieldIndex(const TWrenTable& table, const char* field);
  // Checks the field and returns the grid column it made.
  int Check(TWrenTable& table, const char* field);
  // Drags field 1 onto field 2 and sets the link's options.
  TWrenLink& Link(TWrenTable& table1, const char* field1, TWrenTable& table2, const char* field2,
                  TWrenJoinType joinType = TWrenJoinType::kInner,
                  TWrenOperator op = TWrenOperator::kEqual);

 private:
  QueryModel& model_;
};

// The model's invariants (see query_model.h); empty when they all hold,
// otherwise a description of the first one broken.
std::string BrokenInvariant(const QueryModel& model);

}  // namespace querybuilder::testing
