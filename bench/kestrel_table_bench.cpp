// What Kestrel's memory tables cost: 1,000,000 fixed-size records inserted
// into a memory table and read back by ID, next to the same records in a
// plain std::vector as the peer. Prints figures only.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "kestrel/storage/records/database_data.h"

namespace {

using kestrel::TKestrelDataType;
using kestrel::TKestrelNavigation;
using kestrel::TKestrelNavigationResult;
using kestrel::TKestrelRecordID;
using kestrel::TKestrelRecordRequest;

constexpr int kRecords = 1000000;

volatile int64_t sink = 0;

double PerSecond(int count, const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  const auto stop = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(stop - start).count();
  return seconds > 0 ? count / seconds : 0;
}

void Report(const char* what, double table, double peer) {
  std::printf("%-40s %12.0f records/s   peer %12.0f records/s   peer/table %5.1f\n", what, table,
              peer, table > 0 ? peer / table : 0);
}

struct PeerRecord {
  uint8_t nulls;
  int32_t id;
  int32_t qty;
  double price;
  char code[9];
};

}  // namespace

int main() {
  std::printf(
      "Kestrel memory table: %d records of ID Integer, QTY Integer, PRICE Double, "
      "CODE Char(8)\n\n",
      kRecords);
  kestrel::TKestrelMemoryDatabaseData database;
  kestrel::TKestrelFieldDefs fields;
  fields.AddField("ID", TKestrelDataType::kInteger);
  fields.AddField("QTY", TKestrelDataType::kInteger);
  fields.AddField("PRICE", TKestrelDataType::kDouble);
  fields.AddField("CODE", TKestrelDataType::kChar, 8);
  kestrel::TKestrelTableData& table = database.CreateTableData("BENCH", 1000);
  table.CreateTable(fields, kestrel::TKestrelIndexDefs(), kestrel::TKestrelConstraintDefs());
  const int32_t recordSize = table.RecordSize();
  std::vector<uint8_t> buffer(static_cast<std::size_t>(recordSize));
  const int32_t idOffset = table.FieldDefs().Items(0)->DataOffset();
  const int32_t priceOffset = table.FieldDefs().Items(2)->DataOffset();

  const double insertTable = PerSecond(kRecords, [&] {
    for (int32_t i = 0; i < kRecords; ++i) {
      table.InitRecord(buffer.data(), true, true);
      std::memcpy(buffer.data() + idOffset, &i, 4);
      const double price = i * 0.5;
      std::memcpy(buffer.data() + priceOffset, &price, 8);
      buffer[0] = 0;
      TKestrelRecordID id;
      table.InsertRecord(buffer.data(), id, 1);
    }
  });
  std::vector<PeerRecord> peer;
  const double insertPeer = PerSecond(kRecords, [&] {
    for (int32_t i = 0; i < kRecords; ++i) {
      PeerRecord record{};
      record.id = i;
      record.price = i * 0.5;
      peer.push_back(record);
    }
  });
  Report("insert (AllocBy 1000)", insertTable, insertPeer);

  kestrel::TKestrelBaseRecordManager& records = *table.RecordManager();
  const double readTable = PerSecond(kRecords, [&] {
    int64_t sum = 0;
    TKestrelRecordRequest request;
    request.Direction = TKestrelNavigation::kExact;
    request.Buffer = buffer.data();
    for (int32_t i = 0; i < kRecords; ++i) {
      // A stride walks the IDs out of order.
      request.RecordID = TKestrelRecordID{static_cast<int32_t>((int64_t{i} * 7919) % kRecords), 0};
      if (records.GetRecord(request) == TKestrelNavigationResult::kFound) {
        int32_t value = 0;
        std::memcpy(&value, buffer.data() + idOffset, 4);
        sum += value;
      }
    }
    sink = sum;
  });
  const double readPeer = PerSecond(kRecords, [&] {
    int64_t sum = 0;
    PeerRecord record{};
    for (int32_t i = 0; i < kRecords; ++i) {
      record = peer[static_cast<std::size_t>((int64_t{i} * 7919) % kRecords)];
      sum += record.id;
    }
    sink = sum;
  });
  Report("read by ID", readTable, readPeer);
  std::printf("\nrecords %lld, record size %d bytes, engine memory peak %lld bytes\n",
              static_cast<long long>(table.GetRecordCount()), recordSize,
              static_cast<long long>(kestrel::TKestrelMemoryManager::Instance().PeakBytes()));
  return 0;
}
