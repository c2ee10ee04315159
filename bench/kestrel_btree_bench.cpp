// Kestrel's B-tree indexes beside SQLite (":memory:", an indexed table with
// the same keys, prepared statements, one transaction around every batch
// of changes), in one run: building an index over 1,000,000 integer keys
// and over 1,000,000 short strings by inserting the records, 200,000
// random point lookups, 20,000 range scans of 100 entries, and 100,000
// deletes by key. Every line prints both times and the ratio
// Kestrel / SQLite (goal: at most 1.0). Then the time to insert 250,000,
// 500,000 and 1,000,000 records into a table with a primary key, which
// must grow linearly. Prints figures only.

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "kestrel/storage/btree/btree_index.h"
#include "kestrel/storage/records/database_data.h"

namespace {

using namespace kestrel;

constexpr int kRecords = 1000000;
constexpr int kLookups = 200000;
constexpr int kScans = 20000;
constexpr int kScanLength = 100;
constexpr int kDeletes = 100000;
constexpr int32_t kSession = 1;

volatile int64_t sink = 0;

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* what, double kestrel, double sqlite) {
  std::printf("%-44s Kestrel %8.3f s   SQLite %8.3f s   ratio %5.2f\n", what, kestrel, sqlite,
              sqlite > 0 ? kestrel / sqlite : 0);
}

void Check(int code, sqlite3* db, const char* what) {
  if (code != SQLITE_OK && code != SQLITE_DONE && code != SQLITE_ROW) {
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
    std::exit(1);
  }
}

void Exec(sqlite3* db, const char* sql) {
  Check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db, sql);
}

sqlite3_stmt* Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  Check(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), db, sql);
  return statement;
}

// The keys of one run: integers or short texts, in random order.
struct Keys {
  bool text = false;
  std::vector<int32_t> numbers;
  std::vector<std::string> texts;
  std::size_t Size() const { return text ? texts.size() : numbers.size(); }
};

Keys IntegerKeys(std::mt19937& random) {
  Keys keys;
  keys.numbers.resize(kRecords);
  std::iota(keys.numbers.begin(), keys.numbers.end(), 0);
  for (int32_t& number : keys.numbers) {
    number = number * 7 + 3;  // gaps, so that lookups may also miss
  }
  std::shuffle(keys.numbers.begin(), keys.numbers.end(), random);
  return keys;
}

Keys TextKeys(std::mt19937& random) {
  Keys keys;
  keys.text = true;
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<int> length(6, 12);
  std::uniform_int_distribution<int> letter(0, 35);
  keys.texts.reserve(kRecords);
  for (int i = 0; i < kRecords; ++i) {
    std::string text = std::to_string(i);  // unique
    const int extra = length(random);
    for (int c = 0; c < extra; ++c) {
      text.insert(text.begin() + (c % (text.size() + 1)), kLetters[letter(random)]);
    }
    keys.texts.push_back(text);
  }
  return keys;
}

// The Kestrel side: table T with one column K and an index on it.
class KestrelSide {
 public:
  KestrelSide(bool text, bool primary)
      : database_(TKestrelMemoryManager::Instance(), BTreeIndexFactory()) {
    TKestrelFieldDefs fields;
    fields.AddField("K", text ? TKestrelDataType::kVarchar : TKestrelDataType::kInteger, 16);
    TKestrelIndexDefs indexes;
    auto* index = static_cast<TKestrelIndexDef*>(indexes.AddCreated());
    index->Name = "IX";
    index->Primary = primary;
    index->SetColumnCount(1);
    index->Columns[0]->FieldName = "K";
    TKestrelConstraintDefs constraints;
    if (primary) {
      constraints.Add(ConstraintForIndex(*index));
    }
    table_ = &database_.CreateTableData("T", 100000);
    table_->CreateTable(fields, indexes, constraints);
    record_.resize(static_cast<std::size_t>(table_->RecordSize()));
    key_.resize(static_cast<std::size_t>(Index().KeyLength()));
    field_ = table_->FieldDefs().Items(0);
  }
  ~KestrelSide() { database_.DeleteTable(*table_, nullptr); }

  TKestrelTableIndex& Index() {
    TKestrelIndexManager& indexes = table_->IndexManager();
    return indexes.IndexByID(indexes.IndexDefs().Items(0)->ObjectID);
  }
  void Fill(const Keys& keys, std::size_t i) {
    std::memset(record_.data(), 0, record_.size());
    if (keys.text) {
      std::memcpy(record_.data() + field_->DataOffset(), keys.texts[i].data(),
                  std::min<std::size_t>(keys.texts[i].size(), 16));
    } else {
      std::memcpy(record_.data() + field_->DataOffset(), &keys.numbers[i], 4);
    }
  }
  void Insert(const Keys& keys, std::size_t i, bool checked) {
    Fill(keys, i);
    TKestrelRecordID id;
    if (checked) {
      table_->PostRecord(record_.data(), id, true, kSession);
    } else {
      table_->InsertRecord(record_.data(), id, kSession);
    }
  }
  const uint8_t* Key(const Keys& keys, std::size_t i) {
    Fill(keys, i);
    Index().BuildKey(record_.data(), key_.data());
    return key_.data();
  }
  bool Lookup(const Keys& keys, std::size_t i, TKestrelRecordID& id) {
    const TKestrelIndexBound bound{TKestrelKeyComparison::kEqual, Key(keys, i), 1};
    if (!Index().FindBoundary(kSession, bound, false, path_)) {
      return false;
    }
    id = Index().EntryRecordID(kSession, path_);
    return true;
  }
  int Scan(const Keys& keys, std::size_t i) {
    TKestrelIndexScan scan;
    Index().StartScan(kSession, {TKestrelKeyComparison::kGreaterOrEqual, Key(keys, i), 1}, {},
                      false, scan);
    TKestrelRecordID id;
    int rows = 0;
    while (rows < kScanLength && Index().ScanNext(kSession, scan, id)) {
      sink = sink + id.RecordNo;
      ++rows;
    }
    return rows;
  }
  void Delete(const Keys& keys, std::size_t i) {
    TKestrelRecordID id;
    if (Lookup(keys, i, id)) {
      table_->DeleteRecord(id, kSession);
    }
  }
  int64_t Count() const { return table_->GetRecordCount(); }

 private:
  TKestrelMemoryDatabaseData database_;
  TKestrelTableData* table_ = nullptr;
  const TKestrelFieldDef* field_ = nullptr;
  std::vector<uint8_t> record_;
  std::vector<uint8_t> key_;
  TKestrelKeyPath path_;
};

// The SQLite side: the same table and index in memory.
class SqliteSide {
 public:
  SqliteSide(bool text, bool primary) : text_(text) {
    sqlite3_open(":memory:", &db_);
    Exec(db_, primary ? (text ? "CREATE TABLE t(k TEXT PRIMARY KEY)"
                              : "CREATE TABLE t(k INTEGER NOT NULL, PRIMARY KEY(k))")
                      : (text ? "CREATE TABLE t(k TEXT)" : "CREATE TABLE t(k INTEGER)"));
    if (!primary) {
      Exec(db_, "CREATE INDEX ix ON t(k)");
    }
    insert_ = Prepare(db_, "INSERT INTO t(k) VALUES(?)");
    lookup_ = Prepare(db_, "SELECT rowid FROM t WHERE k = ?");
    scan_ = Prepare(db_, "SELECT rowid FROM t WHERE k >= ? ORDER BY k LIMIT 100");
    delete_ = Prepare(db_, "DELETE FROM t WHERE k = ?");
  }
  ~SqliteSide() {
    for (sqlite3_stmt* statement : {insert_, lookup_, scan_, delete_}) {
      sqlite3_finalize(statement);
    }
    sqlite3_close(db_);
  }
  void Begin() { Exec(db_, "BEGIN"); }
  void Commit() { Exec(db_, "COMMIT"); }
  void Bind(sqlite3_stmt* statement, const Keys& keys, std::size_t i) {
    if (text_) {
      sqlite3_bind_text(statement, 1, keys.texts[i].data(),
                        static_cast<int>(std::min<std::size_t>(keys.texts[i].size(), 16)),
                        SQLITE_STATIC);
    } else {
      sqlite3_bind_int(statement, 1, keys.numbers[i]);
    }
  }
  void Run(sqlite3_stmt* statement, const Keys& keys, std::size_t i) {
    Bind(statement, keys, i);
    while (sqlite3_step(statement) == SQLITE_ROW) {
      sink = sink + sqlite3_column_int64(statement, 0);
    }
    sqlite3_reset(statement);
  }
  void Insert(const Keys& keys, std::size_t i) { Run(insert_, keys, i); }
  void Lookup(const Keys& keys, std::size_t i) { Run(lookup_, keys, i); }
  void Scan(const Keys& keys, std::size_t i) { Run(scan_, keys, i); }
  void Delete(const Keys& keys, std::size_t i) { Run(delete_, keys, i); }

 private:
  bool text_;
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
  sqlite3_stmt* lookup_ = nullptr;
  sqlite3_stmt* scan_ = nullptr;
  sqlite3_stmt* delete_ = nullptr;
};

void RunKeys(const char* kind, const Keys& keys, std::mt19937& random) {
  KestrelSide kestrel(keys.text, false);
  SqliteSide sqlite(keys.text, false);
  std::string what = std::string("build over 1,000,000 ") + kind;
  const double buildOurs = Seconds([&] {
    for (std::size_t i = 0; i < keys.Size(); ++i) {
      kestrel.Insert(keys, i, false);
    }
  });
  const double buildTheirs = Seconds([&] {
    sqlite.Begin();
    for (std::size_t i = 0; i < keys.Size(); ++i) {
      sqlite.Insert(keys, i);
    }
    sqlite.Commit();
  });
  Report(what.c_str(), buildOurs, buildTheirs);

  std::uniform_int_distribution<std::size_t> any(0, keys.Size() - 1);
  std::vector<std::size_t> probes(kLookups);
  for (std::size_t& probe : probes) {
    probe = any(random);
  }
  int found = 0;
  const double lookupOurs = Seconds([&] {
    for (const std::size_t probe : probes) {
      TKestrelRecordID id;
      found += kestrel.Lookup(keys, probe, id) ? 1 : 0;
    }
  });
  const double lookupTheirs = Seconds([&] {
    for (const std::size_t probe : probes) {
      sqlite.Lookup(keys, probe);
    }
  });
  if (found != kLookups) {
    std::fprintf(stderr, "lookups found %d of %d\n", found, kLookups);
  }
  what = std::string("200,000 point lookups, ") + kind;
  Report(what.c_str(), lookupOurs, lookupTheirs);

  probes.resize(kScans);
  int64_t rows = 0;
  const double scanOurs = Seconds([&] {
    for (const std::size_t probe : probes) {
      rows += kestrel.Scan(keys, probe);
    }
  });
  const double scanTheirs = Seconds([&] {
    for (const std::size_t probe : probes) {
      sqlite.Scan(keys, probe);
    }
  });
  what = std::string("20,000 scans of 100 entries, ") + kind;
  Report(what.c_str(), scanOurs, scanTheirs);
  if (rows < static_cast<int64_t>(kScans) * kScanLength * 9 / 10) {
    std::fprintf(stderr, "scans delivered only %lld rows\n", static_cast<long long>(rows));
  }

  const double deleteOurs = Seconds([&] {
    for (std::size_t i = 0; i < kDeletes; ++i) {
      kestrel.Delete(keys, i);
    }
  });
  const double deleteTheirs = Seconds([&] {
    sqlite.Begin();
    for (std::size_t i = 0; i < kDeletes; ++i) {
      sqlite.Delete(keys, i);
    }
    sqlite.Commit();
  });
  what = std::string("100,000 deletes by key, ") + kind;
  Report(what.c_str(), deleteOurs, deleteTheirs);
  if (kestrel.Count() != kRecords - kDeletes) {
    std::fprintf(stderr, "deletes left %lld records\n", static_cast<long long>(kestrel.Count()));
  }
}

}  // namespace

// An argument (integers, strings or primary) runs that part alone, for a
// profiler.
int main(int argc, char** argv) {
  const std::string only = argc > 1 ? argv[1] : "";
  std::mt19937 random(42);
  std::printf("Kestrel B-tree indexes beside SQLite %s (:memory:), one run\n\n",
              sqlite3_libversion());
  if (only.empty() || only == "integers") {
    RunKeys("integer keys", IntegerKeys(random), random);
  }
  if (only.empty() || only == "strings") {
    RunKeys("short strings", TextKeys(random), random);
  }
  if (!only.empty() && only != "primary") {
    return 0;
  }
  std::printf("\nInserting records with a primary key (constraint check, then insert):\n");
  const Keys keys = IntegerKeys(random);
  double first = 0;
  for (const int count : {250000, 500000, 1000000}) {
    KestrelSide kestrel(false, true);
    SqliteSide sqlite(false, true);
    const double ours = Seconds([&] {
      for (int i = 0; i < count; ++i) {
        kestrel.Insert(keys, static_cast<std::size_t>(i), true);
      }
    });
    const double theirs = Seconds([&] {
      sqlite.Begin();
      for (int i = 0; i < count; ++i) {
        sqlite.Insert(keys, static_cast<std::size_t>(i));
      }
      sqlite.Commit();
    });
    if (first == 0) {
      first = ours;
    }
    const std::string what = std::to_string(count) + " records with a primary key";
    Report(what.c_str(), ours, theirs);
    std::printf("%-44s %.3f us per record, %.2f x the 250,000 time\n", "", ours * 1e6 / count,
                ours / first);
  }
  return 0;
}
