#pragma once
// A value that one thread publishes whole and another reads without a lock: the writer swaps in a
// new immutable value with one atomic store; the reader marks the value it reads (a hazard
// pointer), so the writer frees a replaced value only once no reader holds it.

#include <atomic>
#include <memory>
#include <vector>

namespace tavion {

template <typename T>
class SnapshotCell {
 public:
  SnapshotCell() = default;
  ~SnapshotCell() {
    delete current_.load();
    for (const T* value : retired_) delete value;
  }
  SnapshotCell(const SnapshotCell&) = delete;
  SnapshotCell& operator=(const SnapshotCell&) = delete;

  // Writer side; one thread at a time. Replaces the value; the old one is freed now or, while a
  // reader holds it, at a later Publish.
  void Publish(std::unique_ptr<const T> value) {
    if (const T* old = current_.exchange(value.release())) retired_.push_back(old);
    const T* held = hazard_.load();
    std::erase_if(retired_, [held](const T* old) {
      if (old == held) return false;
      delete old;
      return true;
    });
  }

  // Reader side. The current value (null before the first Publish), which stays valid until
  // Release. Reads must not overlap one another: one reader thread, or readers that take turns.
  const T* Hold() {
    const T* value = current_.load();
    for (;;) {
      hazard_.store(value);
      // Still current once marked: a writer that replaces it from here on sees the mark.
      const T* again = current_.load();
      if (again == value) return value;
      value = again;
    }
  }
  void Release() { hazard_.store(nullptr); }

 private:
  // Sequentially consistent throughout: the reader's mark and the writer's swap must be seen in
  // one order by both.
  std::atomic<const T*> current_{nullptr};
  std::atomic<const T*> hazard_{nullptr};
  std::vector<const T*> retired_;  // the writer's own
};

}  // namespace tavion
