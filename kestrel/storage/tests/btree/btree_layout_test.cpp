// The byte tables of docs/kestrel-pages.md, row by row, against the bytes
// the page managers and the B-tree write.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "kestrel/storage/pages/page_manager_temporary.h"
#include "kestrel/storage/tests/btree/btree_fixture.h"

namespace kestrel::btree_test {
namespace {

struct Row {
  std::string offset;
  std::string size;
  std::string field;  // the name before ':' (or the whole text)
};

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  const auto last = text.find_last_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The three-column tables of the document, by section heading.
std::map<std::string, std::vector<Row>> ReadTables() {
  std::ifstream file(std::string(BRINDLE_SOURCE_DIR) + "/docs/kestrel-pages.md");
  EXPECT_TRUE(file.good());
  std::map<std::string, std::vector<Row>> tables;
  std::string section;
  std::string line;
  while (std::getline(file, line)) {
    if (line.rfind("## ", 0) == 0) {
      section = line.substr(3);
      continue;
    }
    if (line.rfind("| ", 0) != 0 || line.rfind("| offset", 0) == 0) {
      continue;
    }
    std::vector<std::string> cells;
    std::stringstream cellsIn(line.substr(1));
    std::string cell;
    while (std::getline(cellsIn, cell, '|')) {
      cells.push_back(Trim(cell));
    }
    if (cells.size() < 3) {
      continue;
    }
    const std::string field = cells[2].substr(0, cells[2].find(':'));
    tables[section].push_back({cells[0], cells[1], field});
  }
  return tables;
}

// "18", "KeyLength", "KeyLength + 4", "ceil(PageCount / 8)".
int64_t Evaluate(const std::string& text, const std::map<std::string, int64_t>& symbols) {
  if (text.rfind("ceil(", 0) == 0) {
    const std::string inner = text.substr(5, text.size() - 6);
    const auto slash = inner.find('/');
    const int64_t value = Evaluate(Trim(inner.substr(0, slash)), symbols);
    const int64_t divisor = Evaluate(Trim(inner.substr(slash + 1)), symbols);
    return (value + divisor - 1) / divisor;
  }
  const auto plus = text.find('+');
  if (plus != std::string::npos) {
    return Evaluate(Trim(text.substr(0, plus)), symbols) +
           Evaluate(Trim(text.substr(plus + 1)), symbols);
  }
  if (!text.empty() && std::isdigit(static_cast<unsigned char>(text[0]))) {
    return std::stoll(text);
  }
  const auto it = symbols.find(text);
  EXPECT_NE(it, symbols.end()) << text;
  return it == symbols.end() ? 0 : it->second;
}

int64_t ReadSigned(const uint8_t* bytes, int64_t size) {
  uint64_t value = 0;
  for (int64_t i = size - 1; i >= 0; --i) {
    value = value << 8 | bytes[i];
  }
  if (size == 4 && (bytes[3] & 0x80) != 0) {
    value |= ~uint64_t{0} << 32;
  }
  return static_cast<int64_t>(value);
}

// Each row's bytes read as a little-endian number against expected[field];
// the rows must cover [0, extent) without gaps.
void CheckRows(const std::vector<Row>& rows, const uint8_t* bytes,
               const std::map<std::string, int64_t>& symbols,
               const std::map<std::string, int64_t>& expected, int64_t extent) {
  ASSERT_FALSE(rows.empty());
  int64_t next = 0;
  for (const Row& row : rows) {
    const int64_t offset = Evaluate(row.offset, symbols);
    const int64_t size = Evaluate(row.size, symbols);
    EXPECT_EQ(offset, next) << row.field;
    next = offset + size;
    const auto it = expected.find(row.field);
    if (it != expected.end()) {
      EXPECT_EQ(ReadSigned(bytes + offset, size), it->second) << row.field;
    }
  }
  EXPECT_EQ(next, extent);
}

using DT = TKestrelDataType;

class Layout : public BTreeTable {
 protected:
  void SetUp() override {
    CreateIntegerIndex();
    for (int32_t n = 0; n < 371; ++n) {
      InsertInt("N", n);
    }
    tables_ = ReadTables();
  }
  const uint8_t* PageBytes(int32_t pageNo) {
    return static_cast<TKestrelMemoryPageManager&>(Pages()).Block(pageNo);
  }
  std::map<std::string, std::vector<Row>> tables_;
};

TEST_F(Layout, PageHeader) {
  const int32_t root = Def().RootPageNo;
  const uint8_t* rootBytes = PageBytes(root);
  int32_t left = 0;
  int32_t right = 0;
  std::memcpy(&left, rootBytes + 18 + 5, 4);
  std::memcpy(&right, rootBytes + 18 + 9 + 5, 4);
  const auto& rows = tables_["Page header"];
  CheckRows(rows, rootBytes, {},
            {{"IsRoot", 1},
             {"IsLeaf", 0},
             {"PrevPageNo", -1},
             {"NextPageNo", -1},
             {"CreatedAsEmptyRoot", 1},
             {"RecordIDSuffix", 0},
             {"KeyLength", 5},
             {"ItemCount", 2},
             {"ExtraHeaderLength", 0}},
            18);
  CheckRows(rows, PageBytes(left), {},
            {{"IsRoot", 0},
             {"IsLeaf", 1},
             {"PrevPageNo", -1},
             {"NextPageNo", right},
             {"CreatedAsEmptyRoot", 0},
             {"KeyLength", 5},
             {"ItemCount", 185}},
            18);
  CheckRows(rows, PageBytes(right), {},
            {{"IsLeaf", 1}, {"PrevPageNo", left}, {"NextPageNo", -1}, {"ItemCount", 186}}, 18);
}

TEST_F(Layout, LeafAndNodeItems) {
  const uint8_t* rootBytes = PageBytes(Def().RootPageNo);
  const std::map<std::string, int64_t> symbols = {{"KeyLength", 5}};
  int32_t left = 0;
  int32_t right = 0;
  std::memcpy(&left, rootBytes + 18 + 5, 4);
  std::memcpy(&right, rootBytes + 18 + 9 + 5, 4);
  // Node items: item 0's key is zeros, item 1's key the right page's first.
  const auto& node = tables_["Node item"];
  CheckRows(node, rootBytes + 18, symbols, {{"Key", 0}, {"Child", left}}, 9);
  CheckRows(node, rootBytes + 18 + 9, symbols, {{"Child", right}}, 9);
  EXPECT_EQ(std::memcmp(rootBytes + 18 + 9, PageBytes(right) + 18, 5), 0);

  // Leaf item 7 of the left page: record 7 holding 7.
  const auto& leaf = tables_["Leaf item"];
  const uint8_t* item = PageBytes(left) + 18 + 7 * 11;
  CheckRows(leaf, item, symbols, {{"RecordNo", 7}, {"RecordHigh", 0}}, 11);
  Clear();
  SetInt("N", 7);
  std::vector<uint8_t> key(5);
  Index().BuildKey(record_.data(), key.data());
  EXPECT_EQ(std::vector<uint8_t>(item, item + 5), key);
}

TEST_F(Layout, KeySlots) {
  const std::map<std::string, int64_t> symbols = {{"DataSize", 4}};
  const auto& rows = tables_["Key slot"];
  std::vector<uint8_t> key(5);
  Clear();
  SetInt("N", 0x01020304);
  Index().BuildKey(record_.data(), key.data());
  CheckRows(rows, key.data(), symbols, {{"NullFlag", 0}, {"Value", 0x01020304}}, 5);
  Clear();
  Index().BuildKey(record_.data(), key.data());
  CheckRows(rows, key.data(), symbols, {{"NullFlag", 1}, {"Value", 0}}, 5);
}

TEST_F(Layout, FreshPageBuffer) {
  TKestrelTemporaryPageManager file(memory_, 0);
  TKestrelPageHandle page = file.AddPage(1);
  const auto& rows = tables_["Fresh page buffer"];
  // Every row but the signature holds the number its field column gives.
  int64_t next = 0;
  for (const Row& row : rows) {
    const int64_t offset = Evaluate(row.offset, {});
    const int64_t size = Evaluate(row.size, {});
    EXPECT_EQ(offset, next);
    next = offset + size;
    if (row.field == "Signature") {
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(page.Data() + offset), 4), "ACSP");
    } else {
      EXPECT_EQ(ReadSigned(page.Data() + offset, size), std::stoll(row.field)) << offset;
    }
  }
  EXPECT_EQ(next, 32);
  page.Release();
  file.RollbackPages(1);
}

TEST_F(Layout, MemoryPageManagerStreamForm) {
  TKestrelMemoryStream stream;
  Pages().SaveToStream(stream);
  const auto& rows = tables_["Memory page manager stream form"];
  const std::map<std::string, int64_t> symbols = {{"PageCount", 50}};
  CheckRows(rows, stream.Bytes().data(), symbols,
            {{"PageCount", 50},
             {"HighestPageNo", 2},
             {"AllocationStep", 50},
             {"PageSize", 4096},
             {"ReservedSize", 0},
             {"UsedPageCount", 3},
             {"BitCount", 50},
             {"SetBits", 3}},
            28 + 7);
  EXPECT_EQ(stream.Bytes()[28], 0x07);
  EXPECT_EQ(stream.Bytes().size(), 35u + 50u * 4096u);
  EXPECT_EQ(std::memcmp(stream.Bytes().data() + 35 + Def().RootPageNo * 4096,
                        PageBytes(Def().RootPageNo), 4096),
            0);
}

}  // namespace
}  // namespace kestrel::btree_test
