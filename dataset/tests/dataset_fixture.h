#pragma once
// Small memory datasets and an event recorder shared by the dataset tests.

#include <memory>
#include <string>
#include <vector>

#include "dataset/data_source.h"
#include "dataset/memory_dataset.h"

namespace dataset::testing {

// People(ID integer required, NAME string(20), SCORE float), rows given as
// (id, name, score).
struct PersonRow {
  int id;
  std::string name;
  double score;
};

template <class DataSet = TMemoryDataSet>
std::unique_ptr<DataSet> MakePeople(const std::vector<PersonRow>& rows) {
  auto people = std::make_unique<DataSet>();
  people->FieldDefs().Add("ID", TFieldType::ftInteger, 0, true);
  people->FieldDefs().Add("NAME", TFieldType::ftString, 20);
  people->FieldDefs().Add("SCORE", TFieldType::ftFloat);
  people->CreateDataSet();
  for (const PersonRow& row : rows) {
    people->AppendRecord({Variant::FromInteger(row.id), Variant::FromString(row.name),
                          Variant::FromDouble(row.score)});
  }
  people->First();
  return people;
}

template <class DataSet = TMemoryDataSet>
std::unique_ptr<DataSet> MakeNumbered(int count) {
  std::vector<PersonRow> rows;
  for (int i = 1; i <= count; ++i)
    rows.push_back({i, "n" + std::to_string(i), i * 1.5});
  return MakePeople<DataSet>(rows);
}

// The IDs from the current record to the end, leaving the dataset at EOF.
inline std::vector<int> IdsFromHere(TDataSet& dataSet) {
  std::vector<int> ids;
  while (!dataSet.Eof()) {
    ids.push_back(dataSet.FieldByName("ID").AsInteger());
    dataSet.Next();
  }
  return ids;
}

// Records every dataset event by name, in order.
class EventLog {
 public:
  explicit EventLog(TDataSet& dataSet) {
    Hook(dataSet.BeforeOpen, "BeforeOpen");
    Hook(dataSet.AfterOpen, "AfterOpen");
    Hook(dataSet.BeforeClose, "BeforeClose");
    Hook(dataSet.AfterClose, "AfterClose");
    Hook(dataSet.BeforeInsert, "BeforeInsert");
    Hook(dataSet.AfterInsert, "AfterInsert");
    Hook(dataSet.BeforeEdit, "BeforeEdit");
    Hook(dataSet.AfterEdit, "AfterEdit");
    Hook(dataSet.BeforePost, "BeforePost");
    Hook(dataSet.AfterPost, "AfterPost");
    Hook(dataSet.BeforeCancel, "BeforeCancel");
    Hook(dataSet.AfterCancel, "AfterCancel");
    Hook(dataSet.BeforeDelete, "BeforeDelete");
    Hook(dataSet.AfterDelete, "AfterDelete");
    Hook(dataSet.BeforeScroll, "BeforeScroll");
    Hook(dataSet.AfterScroll, "AfterScroll");
    Hook(dataSet.OnNewRecord, "OnNewRecord");
  }
  std::vector<std::string> Take() { return std::move(events_); }

 private:
  void Hook(TDataSet::TDataSetNotifyEvent& event, std::string name) {
    event = [this, name](TDataSet&) { events_.push_back(name); };
  }
  std::vector<std::string> events_;
};

// A data link that records what it is told.
class RecordingLink : public TDataLink {
 public:
  std::vector<std::string> Take() { return std::move(events_); }

 protected:
  void ActiveChanged() override { events_.push_back(Active() ? "active" : "inactive"); }
  void EditingChanged() override { events_.push_back(Editing() ? "editing" : "not editing"); }
  void DataSetChanged() override { events_.push_back("dataset changed"); }
  void DataSetScrolled(int distance) override {
    events_.push_back("scrolled " + std::to_string(distance));
  }
  void RecordChanged(TField* field) override {
    events_.push_back(field ? "field " + field->FieldName() : "record changed");
  }
  void UpdateData() override { events_.push_back("update data"); }

 private:
  std::vector<std::string> events_;
};

}  // namespace dataset::testing
