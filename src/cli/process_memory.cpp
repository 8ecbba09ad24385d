#include "cli/process_memory.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace namitra::cli {

namespace {

constexpr std::size_t kSmallRun = 5000;
// Measured: a run takes about 500 bytes of heap per row; twice that leaves room.
constexpr std::size_t kBytesPerRow = 1024;
constexpr std::size_t kMostReserved = std::size_t{1} << 30;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr int kLargestHeapBlock = 32 << 20;  // glibc's upper bound for the mmap threshold
constexpr int kDefaultTopPad = 128 << 10;
// Holds the block that is never used, so that the compiler keeps its allocation.
void* volatile g_unusedStretch = nullptr;
// A heap block carries one size field in front of it (its chunk starts two fields earlier).
constexpr std::uintptr_t kSizeField = sizeof(std::size_t);
constexpr std::size_t kGrowthBlockExtra = 64 << 10;

}  // namespace

void prepareHeapForRows(std::size_t rowCount) {
  if (rowCount < kSmallRun) return;
  const std::size_t bytes = std::min(rowCount * kBytesPerRow, kMostReserved);
  ::mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
  ::mallopt(M_TRIM_THRESHOLD, INT32_MAX);
  // One growth of the heap by `bytes`, made by a block a little larger than the free top of the
  // heap. Volatile, so that the compiler cannot drop the malloc and free as a pair.
  ::mallopt(M_TOP_PAD, static_cast<int>(bytes));
  const std::size_t growthSize = ::mallinfo2().keepcost + kGrowthBlockExtra;
  void* volatile growth = std::malloc(growthSize);
  const auto after = reinterpret_cast<std::uintptr_t>(::sbrk(0));
  ::mallopt(M_TOP_PAD, kDefaultTopPad);
  if (!growth) return;
  // malloc wrote the header of the free top behind the block. A page written before the advice
  // stays an ordinary page, and so does the rest of its 2 MiB window, so the advice starts at the
  // first window behind that header.
  const auto start = reinterpret_cast<std::uintptr_t>(growth);
  const std::uintptr_t first = (start + growthSize + 4 * kSizeField + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = after & ~(kHugePage - 1);
  std::free(growth);
  if (last <= first || ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE) != 0) return;
  // The free top starts where the block started again, below `first`. A block that is never used
  // takes the stretch up to `first`, so that the run's allocations begin in the huge pages; its
  // pages are never touched. Its chunk is `first - start` bytes (header included), and the next
  // chunk's header lands just below `first`.
  g_unusedStretch = std::malloc(first - start - kSizeField);
}

}  // namespace namitra::cli
