// Damaged query files by corpus: every truncation and every single-byte
// change of a small saved file opens with a message or as a valid model,
// never a crash, and never leaves a model that breaks its invariants.

#include <gtest/gtest.h>

#include "platform/testing/temp_directory.h"
#include "querybuilder/query_file.h"
#include "querybuilder/tests/model_testing.h"

namespace querybuilder {
namespace {

using platform::testing::ReadFileBytes;
using platform::testing::TempDirectory;
using platform::testing::WriteFileBytes;
using testing::BrokenInvariant;
using testing::ListEngine;
using testing::RecordingDialogs;
using Outcome = QueryFileReadResult::Outcome;

class QueryFileCorpus : public ::testing::Test {
 protected:
  QueryFileCorpus()
      : engine_({{"customers", {"id", "name"}}, {"orders", {"id", "customer_id"}}}),
        model_(engine_) {
    engine_.SetDatabaseName("shop");
    engine_.Load();
    TWrenTable& customers = *model_.InsertTable("customers", 12, 34);
    TWrenTable& orders = *model_.InsertTable("orders", 200, 30);
    model_.CheckField(customers, 2, true);
    model_.CheckField(orders, 1, true);
    model_.SetSort(1, TWrenSort::kDesc);
    model_.SetFunction(1, TWrenFunction::kCount);
    model_.InsertLink(orders, 2, customers, 1);
    model_.SetLinkOptions(*model_.Links().front(), TWrenOperator::kLessOrEqual,
                          TWrenJoinType::kLeftOuter);
    WriteQueryFile(path_, model_, WrenWindowLayout{false, 1, 2, 300, 400, true, 90, true, 80});
    saved_ = ReadFileBytes(path_);
  }

  // Reads the bytes as a query file; the outcome and the messages agree,
  // and the model keeps its invariants.
  QueryFileReadResult Read(const std::string& bytes, const std::string& what) {
    WriteFileBytes(path_, bytes);
    dialogs_.Clear();
    WrenWindowLayout layout;
    const QueryFileReadResult result = ReadQueryFile(path_, model_, layout);
    const bool told = !dialogs_.Messages().empty();
    EXPECT_EQ(result.outcome == Outcome::kRead, !told) << what;
    EXPECT_EQ(BrokenInvariant(model_), "") << what;
    return result;
  }

  RecordingDialogs dialogs_;
  ListEngine engine_;
  QueryModel model_;
  TempDirectory directory_;
  std::string path_ = directory_.File("corpus.qry");
  std::string saved_;
};

TEST_F(QueryFileCorpus, EveryTruncationOpensWithAMessage) {
  ASSERT_LT(saved_.size(), 300u) << "keep the corpus small";
  const std::size_t contentEnd = saved_.find("[End]") + std::string_view("[End]").size();
  for (std::size_t length = 0; length < saved_.size(); ++length) {
    const QueryFileReadResult result =
        Read(saved_.substr(0, length), "truncated to " + std::to_string(length));
    if (length < contentEnd)
      EXPECT_NE(result.outcome, Outcome::kRead) << "truncated to " << length;
    else
      EXPECT_EQ(result.outcome, Outcome::kRead) << "only the last line break is missing";
  }
  // The whole file still reads completely after all that.
  EXPECT_EQ(Read(saved_, "whole").outcome, Outcome::kRead);
  EXPECT_EQ(model_.Tables().size(), 2u);
  EXPECT_EQ(model_.Links().size(), 1u);
  EXPECT_EQ(model_.Grid().Count(), 2);
}

TEST_F(QueryFileCorpus, EverySingleByteChangeOpensWithAMessageOrAValidModel) {
  int refused = 0;
  int partial = 0;
  int complete = 0;
  for (std::size_t position = 0; position < saved_.size(); ++position) {
    std::string changed = saved_;
    for (int value = 0; value < 256; ++value) {
      if (static_cast<char>(value) == saved_[position])
        continue;
      changed[position] = static_cast<char>(value);
      const QueryFileReadResult result =
          Read(changed, "byte " + std::to_string(position) + " = " + std::to_string(value));
      refused += result.outcome == Outcome::kRefused;
      partial += result.outcome == Outcome::kPartial;
      complete += result.outcome == Outcome::kRead;
    }
    if (HasFailure())
      return;
  }
  // The signature refuses, damage elsewhere is reported, and changes that
  // keep the file valid (another digit, another flag) read completely.
  EXPECT_GT(refused, 0);
  EXPECT_GT(partial, 0);
  EXPECT_GT(complete, 0);
}

}  // namespace
}  // namespace querybuilder
