// The memory page manager and the session rules of every page manager:
// numbering and reuse, commit and rollback, holding across sessions, the
// 30-page cache, growing buffers, handles, and the stream form.

#include "kestrel/storage/pages/page_manager_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/tests/kestrel_test_util.h"

namespace kestrel {
namespace {

using test::ExpectKestrelError;

class MemoryPages : public ::testing::Test {
 protected:
  // Adds count pages in session 1, each holding its number in byte 0, and
  // commits them.
  std::vector<int32_t> AddCommitted(int count) {
    std::vector<int32_t> numbers;
    for (int i = 0; i < count; ++i) {
      TKestrelPageHandle page = pages_.AddPage(1);
      page.Data()[0] = static_cast<uint8_t>(page.PageNo());
      numbers.push_back(page.PageNo());
    }
    pages_.CommitPages(1);
    return numbers;
  }

  TKestrelMemoryManager memory_;
  TKestrelMemoryPageManager pages_{memory_};
};

TEST_F(MemoryPages, NumbersGrowInStepsOfFiftyAndAreReusedLowestFirstAfterCommit) {
  EXPECT_EQ(pages_.PageSize(), 4096);
  EXPECT_EQ(AddCommitted(1)[0], 0);
  EXPECT_EQ(pages_.PageCount(), 50);
  AddCommitted(49);
  EXPECT_EQ(pages_.GetUsedPageCount(), 50);
  EXPECT_EQ(AddCommitted(1)[0], 50);
  EXPECT_EQ(pages_.PageCount(), 100);
  EXPECT_EQ(pages_.HighestPageNo(), 50);

  pages_.FreePage(1, 3);
  EXPECT_EQ(AddCommitted(1)[0], 51);  // not before the commit
  pages_.FreePage(1, 7);
  pages_.FreePage(1, 5);
  pages_.CommitPages(1);
  EXPECT_EQ(pages_.GetUsedPageCount(), 49);
  EXPECT_EQ(AddCommitted(3), (std::vector<int32_t>{3, 5, 7}));
  // A reused number keeps its block and its bytes until the page is written.
  EXPECT_EQ(pages_.Block(5)[0], 5);
}

TEST_F(MemoryPages, RollbackFreesAddedNumbersAndDropsChangedPages) {
  AddCommitted(2);
  {
    TKestrelPageHandle added = pages_.AddPage(4);
    EXPECT_EQ(added.PageNo(), 2);
    TKestrelPageHandle changed = pages_.GetPage(4, 1);
    // A page that grew holds its changes in its own buffer until written.
    changed->EnlargeBuffer(5000);
    EXPECT_TRUE(changed->OwnsBuffer());
    changed.Data()[0] = 99;
    changed.MarkModified();
  }
  pages_.FreePage(4, 0);
  EXPECT_EQ(pages_.ChangedPageCount(4), 2);
  pages_.RollbackPages(4);
  EXPECT_EQ(pages_.ChangedPageCount(4), 0);
  EXPECT_EQ(pages_.GetUsedPageCount(), 2);
  EXPECT_FALSE(pages_.InUse().Bit(2));
  EXPECT_EQ(pages_.Block(1)[0], 1);
  EXPECT_EQ(pages_.GetPage(4, 1).Data()[0], 1);
  EXPECT_EQ(AddCommitted(1)[0], 2);
  pages_.RollbackPages(77);  // a session never seen
}

TEST_F(MemoryPages, CommitWritesGrownBuffersBackAndPagesBecomeShared) {
  AddCommitted(1);
  {
    TKestrelPageHandle page = pages_.GetPage(2, 0);
    EXPECT_FALSE(page->OwnsBuffer());
    // A view changes the block itself.
    page.Data()[1] = 11;
    EXPECT_EQ(pages_.Block(0)[1], 11);
    page->EnlargeBuffer(4096 + 11);
    page.Data()[2] = 22;
    page.Data()[4096] = 33;  // beyond the page: never written back
    page.MarkModified();
    EXPECT_EQ(pages_.Block(0)[2], 0);
  }
  EXPECT_EQ(pages_.SharedPageCount(), 0);
  pages_.CommitPages(2);
  EXPECT_EQ(pages_.Block(0)[2], 22);
  EXPECT_EQ(pages_.SharedPageCount(), 1);
  EXPECT_EQ(pages_.ChangedPageCount(2), 0);

  TKestrelPageHandle page = pages_.GetPage(2, 0);
  ExpectKestrelError([&] { page->EnlargeBuffer(100); }, "Invalid page modification", 20039);
}

TEST_F(MemoryPages, APageHeldByOneSessionIsRefusedToAnother) {
  AddCommitted(1);
  TKestrelPageHandle held = pages_.GetPage(1, 0);
  TKestrelPageHandle again = pages_.GetPage(1, 0);
  EXPECT_EQ(held.Get(), again.Get());
  EXPECT_EQ(held->UseCount(), 2);
  ExpectKestrelError([&] { (void)pages_.GetPage(2, 0); }, "Page is used by other session", 20090);
  held.Release();
  again.Release();
  TKestrelPageHandle other = pages_.GetPage(2, 0);
  EXPECT_EQ(other->Session(), 2);
}

TEST_F(MemoryPages, ReleaseErrors) {
  AddCommitted(1);
  // Released once more than obtained while the object is still listed.
  TKestrelPageHandle page = pages_.GetPage(1, 0);
  pages_.ReleasePage(*page);
  ExpectKestrelError([&] { page.Release(); }, "Error - invalid use count = -1, pageNo = 0", 10665);

  // A held page whose number is freed and committed is gone; its holder
  // learns it when it lets go.
  TKestrelPageHandle held = pages_.GetPage(1, 0);
  pages_.FreePage(1, 0);
  pages_.CommitPages(1);
  ExpectKestrelError([&] { held.Release(); }, "Used page was released too early", 20040);
  EXPECT_FALSE(held);
}

TEST_F(MemoryPages, TheSharedCacheKeepsThirtyPagesAndNeverDropsHeldOnes) {
  AddCommitted(35);
  EXPECT_EQ(pages_.SharedPageCount(), 35);  // a commit does not trim
  { TKestrelPageHandle page = pages_.GetPage(1, 0); }
  EXPECT_EQ(pages_.SharedPageCount(), 30);

  // 35 objects, 4 held; releasing one leaves 3 held and drops the 5
  // oldest unheld ones.
  for (int32_t pageNo = 0; pageNo < 35; ++pageNo) {
    TKestrelPageHandle page = pages_.GetPage(1, pageNo);
  }
  EXPECT_EQ(pages_.SharedPageCount(), 30);
  std::vector<TKestrelPageHandle> held;
  for (int32_t pageNo : {1, 2, 3, 4}) {
    held.push_back(pages_.GetPage(1, pageNo));
  }
  EXPECT_EQ(pages_.SharedPageCount(), 34);
  held.push_back(pages_.GetPage(1, 0));
  EXPECT_EQ(pages_.SharedPageCount(), 35);
  held.back().Release();
  EXPECT_EQ(pages_.SharedPageCount(), 30);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(held[i]->UseCount(), 1) << i;
    EXPECT_NE(held[i]->List(), nullptr) << i;
  }
}

TEST_F(MemoryPages, CommitAndRollbackRefuseHeldPages) {
  TKestrelPageHandle page = pages_.AddPage(1);
  ExpectKestrelError([&] { pages_.CommitPages(1); },
                     "Cannot remove used page, pageNo = 0, UseCount = 1", 10823);
  ExpectKestrelError([&] { pages_.RollbackPages(1); },
                     "Cannot remove used page, pageNo = 0, UseCount = 1", 10821);
  page.Release();
  ExpectKestrelError([&] { pages_.CheckReleased(); },
                     "Cannot free not commited pages, page manager classname = "
                     "TKestrelMemoryPageManager",
                     20097);
  pages_.CommitPages(1);
  ExpectKestrelError([&] { pages_.CheckReleased(); }, "Index pages are not released", 20023);
  pages_.FreePage(-2, 0);
  pages_.CommitPages(-2);
  pages_.CheckReleased();
}

TEST_F(MemoryPages, HandlesReleaseOnEveryPath) {
  AddCommitted(1);
  TKestrelPage* object = nullptr;
  try {
    TKestrelPageHandle page = pages_.GetPage(1, 0);
    object = page.Get();
    throw std::runtime_error("failed operation");
  } catch (const std::runtime_error&) {
  }
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->UseCount(), 0);
  // Unmodified: it went back to the cache, so another session may have it.
  TKestrelPageHandle other = pages_.GetPage(5, 0);
  EXPECT_EQ(other.Get(), object);
}

TEST_F(MemoryPages, PagesNotInUseCannotBeRead) {
  AddCommitted(1);
  ExpectKestrelError([&] { (void)pages_.GetPage(1, 1); }, "Not released page is allocated", 10392);
  ExpectKestrelError([&] { (void)pages_.GetPage(1, -1); }, "Not released page is allocated", 10392);
  ExpectKestrelError([&] { (void)pages_.GetPage(1, 1 << 30); }, "Not released page is allocated",
                     10392);
  EXPECT_EQ(pages_.SharedPageCount(), 1);
}

TEST_F(MemoryPages, TheReloadTestDecidesWhetherVersionsAreCompared) {
  AddCommitted(1);
  std::vector<uint32_t> asked;
  const TKestrelPageReloadTest test = [&](uint32_t version) {
    asked.push_back(version);
    return true;
  };
  (void)pages_.GetPage(1, 0, &test);
  EXPECT_EQ(asked, (std::vector<uint32_t>{0}));
  pages_.SetNoReload(true);
  (void)pages_.GetPage(1, 0, &test);
  EXPECT_EQ(asked.size(), 1u);
}

TEST_F(MemoryPages, StreamFormByteForByte) {
  AddCommitted(2);
  pages_.FreePage(1, 0);
  pages_.CommitPages(1);
  TKestrelMemoryStream stream;
  pages_.SaveToStream(stream);
  // 20 bytes of fields, 15 of bitmap, 50 page images.
  ASSERT_EQ(stream.Bytes().size(), 20u + 15u + 50u * 4096u);
  const std::vector<uint8_t> head(stream.Bytes().begin(), stream.Bytes().begin() + 35);
  const std::vector<uint8_t> expected = {50,   0, 0, 0,  1, 0, 0, 0, 50, 0,
                                         0,    0, 0, 16, 0, 0, 1, 0, 0,  0,  // fields
                                         50,   0, 0, 0,  1, 0, 0, 0,         // bit counts
                                         0x02, 0, 0, 0,  0, 0, 0};
  EXPECT_EQ(head, expected);
  EXPECT_EQ(stream.Bytes()[35 + 4096], 1);  // page 1's byte 0

  TKestrelMemoryPageManager loaded(memory_);
  stream.SetPosition(0);
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.PageCount(), 50);
  EXPECT_EQ(loaded.HighestPageNo(), 1);
  EXPECT_EQ(loaded.GetUsedPageCount(), 1);
  EXPECT_EQ(loaded.GetPage(1, 1).Data()[0], 1);
  TKestrelMemoryStream again;
  loaded.SaveToStream(again);
  EXPECT_EQ(again.Bytes(), stream.Bytes());
  {
    TKestrelPageHandle page = loaded.AddPage(1);
    EXPECT_EQ(page.PageNo(), 0);
  }
  loaded.CommitPages(1);
}

TEST_F(MemoryPages, DamagedStreamFormsGiveErrorsAndLeaveAnEmptyManager) {
  AddCommitted(3);
  TKestrelMemoryStream stream;
  pages_.SaveToStream(stream);
  const std::vector<uint8_t>& good = stream.Bytes();
  // Every change of the 35 bytes before the images, and every cut.
  int errors = 0;
  for (std::size_t at = 0; at < 35; ++at) {
    for (const uint8_t value : {uint8_t{0}, uint8_t{0x01}, uint8_t{0x7F}, uint8_t{0xFF}}) {
      std::vector<uint8_t> bytes = good;
      if (bytes[at] == value) {
        continue;
      }
      bytes[at] = value;
      TKestrelMemoryStream damaged(bytes);
      TKestrelMemoryPageManager loaded(memory_);
      try {
        loaded.LoadFromStream(damaged);
      } catch (const EKestrelException&) {
        ++errors;
        EXPECT_EQ(loaded.PageCount(), 0);
        EXPECT_EQ(loaded.GetUsedPageCount(), 0);
        continue;
      }
      // What loads must be usable.
      for (int32_t pageNo = 0; pageNo < loaded.PageCount(); ++pageNo) {
        if (loaded.InUse().Bit(pageNo)) {
          (void)loaded.GetPage(1, pageNo);
        }
      }
      { TKestrelPageHandle page = loaded.AddPage(1); }
      loaded.CommitPages(1);
    }
  }
  EXPECT_GT(errors, 100);
  for (const std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{19}, std::size_t{27},
                                std::size_t{40}, good.size() - 1}) {
    TKestrelMemoryStream damaged(std::vector<uint8_t>(good.begin(), good.begin() + cut));
    TKestrelMemoryPageManager loaded(memory_);
    EXPECT_THROW(loaded.LoadFromStream(damaged), EKestrelException) << cut;
  }
}

TEST_F(MemoryPages, ReleasedMemoryMakesTheManagerNew) {
  AddCommitted(3);
  const int64_t withPages = memory_.BytesInUse();
  for (int32_t pageNo : {0, 1, 2}) {
    pages_.FreePage(-2, pageNo);
  }
  pages_.ReleaseMemory();  // pages still in use: nothing happens
  EXPECT_EQ(memory_.BytesInUse(), withPages);
  pages_.CommitPages(-2);
  pages_.ReleaseMemory();
  EXPECT_EQ(pages_.PageCount(), 0);
  EXPECT_EQ(memory_.BytesInUse(), 0);
  EXPECT_EQ(AddCommitted(1)[0], 0);
}

}  // namespace
}  // namespace kestrel
