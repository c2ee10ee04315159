// The temporary page manager: pages below the threshold in memory, the
// others in the spill file, numbering across the threshold, and the stream
// form with the file's bytes.

#include "kestrel/storage/pages/page_manager_temporary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

// Adds count pages in session 1 with their number in byte 100 and commits.
std::vector<int32_t> AddCommitted(TKestrelPageManager& pages, int count) {
  std::vector<int32_t> numbers;
  for (int i = 0; i < count; ++i) {
    TKestrelPageHandle page = pages.AddPage(1);
    page.Data()[100] = static_cast<uint8_t>(page.PageNo());
    numbers.push_back(page.PageNo());
  }
  pages.CommitPages(1);
  return numbers;
}

TEST(TemporaryPages, ThresholdZeroPutsEveryPageInTheFile) {
  TKestrelMemoryManager memory;
  TKestrelTemporaryPageManager pages(memory, 0);
  EXPECT_FALSE(pages.HasFile());
  EXPECT_EQ(AddCommitted(pages, 3), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_TRUE(pages.HasFile());
  EXPECT_EQ(pages.PageCount(), 3);
  EXPECT_EQ(pages.Inner().GetUsedPageCount(), 0);
  {
    // A file page starts from the fresh header.
    TKestrelPageHandle page = pages.AddPage(1);
    EXPECT_TRUE(page->OwnsBuffer());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(page.Data()), 4), "ACSP");
    EXPECT_EQ(page.Data()[10], 0xFF);
    EXPECT_EQ(page.Data()[14], 0x00);
    EXPECT_EQ(page.Data()[29], 0xFF);
    EXPECT_EQ(page.Data()[30], 0x00);
  }
  pages.RollbackPages(1);
  // Read back from the file: the cache is cut to nothing first.
  for (int32_t pageNo = 0; pageNo < 3; ++pageNo) {
    EXPECT_EQ(pages.GetPage(2, pageNo).Data()[100], pageNo);
  }
  // File numbers are never reused.
  pages.FreePage(1, 1);
  pages.CommitPages(1);
  EXPECT_EQ(AddCommitted(pages, 1)[0], 4);
  EXPECT_EQ(pages.GetUsedPageCount(), 3);
}

TEST(TemporaryPages, NumbersBelowTheThresholdComeFromMemoryUntilThePageCountReachesIt) {
  TKestrelMemoryManager memory;
  TKestrelTemporaryPageManager pages(memory, 3);
  EXPECT_EQ(AddCommitted(pages, 2), (std::vector<int32_t>{0, 1}));
  EXPECT_FALSE(pages.HasFile());
  pages.FreePage(1, 0);
  pages.CommitPages(1);
  EXPECT_EQ(AddCommitted(pages, 1)[0], 0);  // reused below the threshold
  EXPECT_EQ(AddCommitted(pages, 2), (std::vector<int32_t>{2, 3}));
  EXPECT_TRUE(pages.HasFile());
  pages.FreePage(1, 1);
  pages.CommitPages(1);
  EXPECT_EQ(AddCommitted(pages, 1)[0], 4);  // the page count has reached it
  EXPECT_EQ(pages.Inner().GetUsedPageCount(), 2);
  EXPECT_EQ(pages.GetUsedPageCount(), 4);
  ASSERT_THROW((void)pages.GetPage(1, 1), EKestrelException);
  EXPECT_EQ(pages.GetPage(1, 4).Data()[100], 4);
  EXPECT_EQ(pages.GetPage(1, 2).Data()[100], 2);
}

TEST(TemporaryPages, StreamRoundTripCarriesTheFile) {
  TKestrelMemoryManager memory;
  TKestrelTemporaryPageManager pages(memory, 2);
  AddCommitted(pages, 4);
  TKestrelMemoryStream stream;
  pages.SaveToStream(stream);
  // Inner form (20 + 15 + 50 pages), bitmap (8 + 1), fields (24), file.
  const std::size_t inner = 20 + 15 + 50 * 4096;
  ASSERT_EQ(stream.Bytes().size(), inner + 9 + 24 + 4 * 4096);
  const uint8_t* fields = stream.Bytes().data() + inner + 9;
  EXPECT_EQ(fields[0], 4);   // page count
  EXPECT_EQ(fields[4], 2);   // threshold
  EXPECT_EQ(fields[9], 16);  // page size 4096
  EXPECT_EQ(fields[12], 4);  // pages in use
  EXPECT_EQ(fields[16], 0);  // file length 16384 (0x4000)
  EXPECT_EQ(fields[17], 0x40);

  TKestrelTemporaryPageManager loaded(memory, 99);
  stream.SetPosition(0);
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.Threshold(), 2);
  EXPECT_EQ(loaded.PageCount(), 4);
  for (int32_t pageNo = 0; pageNo < 4; ++pageNo) {
    EXPECT_EQ(loaded.GetPage(1, pageNo).Data()[100], pageNo);
  }
  EXPECT_EQ(AddCommitted(loaded, 1)[0], 4);

  // A file length that disagrees with the pages in use is refused.
  std::vector<uint8_t> bytes = stream.Bytes();
  bytes[inner + 9 + 17] = 0x30;
  bytes.resize(bytes.size() - 4096);
  TKestrelMemoryStream damaged(bytes);
  TKestrelTemporaryPageManager refused(memory, 0);
  try {
    refused.LoadFromStream(damaged);
    ADD_FAILURE();
  } catch (const EKestrelException& e) {
    EXPECT_EQ(e.Text(), "Invalid page manager data: file page = 3");
    EXPECT_EQ(e.NativeError(), 10721);
  }
  EXPECT_EQ(refused.PageCount(), 0);
}

TEST(TemporaryPages, PagesInUseMustBeReleasedBeforeTheEnd) {
  TKestrelMemoryManager memory;
  TKestrelTemporaryPageManager pages(memory, 1);
  AddCommitted(pages, 2);
  try {
    pages.CheckReleased();
    ADD_FAILURE();
  } catch (const EKestrelException& e) {
    EXPECT_EQ(e.NativeError(), 20036);
  }
  pages.FreePage(-2, 0);
  pages.FreePage(-2, 1);
  pages.CommitPages(-2);
  pages.CheckReleased();
}

}  // namespace
}  // namespace kestrel
