#include "base/snapshot_cell.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace tavion {
namespace {

// A value whose halves differ once it is destroyed, so that a read of a freed value shows even
// where no sanitizer watches.
struct Pair {
  int a, b;
  ~Pair() { a = -1, b = -2; }
};

TEST(SnapshotCell, AReaderNeverHoldsAValueThatTheWriterFrees) {
  SnapshotCell<Pair> cell;
  cell.Publish(std::make_unique<const Pair>(0, 0));
  std::atomic<bool> stop{false};
  std::atomic<long> torn{0}, reads{0};
  std::thread reader([&] {
    while (!stop) {
      const Pair* value = cell.Hold();
      for (int i = 0; i < 20; ++i)
        if (value->a != value->b) ++torn;
      cell.Release();
      ++reads;
    }
  });
  for (int i = 1; i <= 20000 || reads < 1000; ++i) cell.Publish(std::make_unique<const Pair>(i, i));
  stop = true;
  reader.join();
  EXPECT_EQ(0, torn);
}

}  // namespace
}  // namespace tavion
