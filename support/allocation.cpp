#include "support/allocation.h"

#include <atomic>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define MARLIX_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MARLIX_ADDRESS_SANITIZER 1
#endif
#endif
#ifdef MARLIX_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#else
#define ASAN_POISON_MEMORY_REGION(block, size) ((void)(block), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(block, size) ((void)(block), (void)(size))
#endif

namespace marlix {
namespace {

std::atomic<std::uint64_t> failures{0};
// Allocations still allowed while a ScopedAllocationFailure lives.
std::atomic<bool> limited{false};
std::atomic<std::uint64_t> allowance{0};
std::atomic<std::uint64_t> refused{0};

bool Refuse() {
  if (!limited.load(std::memory_order_relaxed)) return false;
  // Taken with a compare-and-swap: the thread that writes pages allocates too.
  std::uint64_t left = allowance.load(std::memory_order_relaxed);
  while (left > 0) {
    if (allowance.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) return false;
  }
  refused.fetch_add(1, std::memory_order_relaxed);
  return true;
}

void* Counted(void* block) {
  if (block == nullptr) failures.fetch_add(1, std::memory_order_relaxed);
  return block;
}

// The buffers one thread has given back; freed when the thread ends. A kept
// buffer is poisoned under the address sanitizer while it waits, so that a
// use after it was given back is still caught.
class KeptBuffers {
 public:
  KeptBuffers() = default;
  KeptBuffers(const KeptBuffers&) = delete;
  KeptBuffers& operator=(const KeptBuffers&) = delete;
  ~KeptBuffers() {
    for (Kept& kept : kept_) {
      if (kept.block == nullptr) continue;
      ASAN_UNPOISON_MEMORY_REGION(kept.block, kept.size);
      std::free(kept.block);
    }
  }

  void* Take(std::size_t size) {
    for (Kept& kept : kept_) {
      if (kept.block == nullptr || kept.size != size) continue;
      void* block = kept.block;
      kept.block = nullptr;
      ASAN_UNPOISON_MEMORY_REGION(block, size);
      return block;
    }
    return nullptr;
  }

  bool Keep(void* block, std::size_t size) {
    for (Kept& kept : kept_) {
      if (kept.block != nullptr) continue;
      kept.block = block;
      kept.size = size;
      ASAN_POISON_MEMORY_REGION(block, size);
      return true;
    }
    return false;
  }

 private:
  struct Kept {
    void* block = nullptr;
    std::size_t size = 0;
  };
  // A reader and two output files at once at most, with room to spare.
  Kept kept_[4];
};

thread_local KeptBuffers keptBuffers;

}  // namespace

void* TakeBuffer(std::size_t size) {
  if (Refuse()) return Counted(nullptr);
  void* block = keptBuffers.Take(size);
  return Counted(block != nullptr ? block : std::malloc(size == 0 ? 1 : size));
}

void GiveBackBuffer(void* block, std::size_t size) {
  if (block == nullptr) return;
  if (!keptBuffers.Keep(block, size)) std::free(block);
}

void* AllocateBytes(std::size_t size) {
  return Counted(Refuse() ? nullptr : std::malloc(size == 0 ? 1 : size));
}

void* ReallocateBytes(void* block, std::size_t size) {
  return Counted(Refuse() ? nullptr : std::realloc(block, size == 0 ? 1 : size));
}

void ReleaseBytes(void* block) { std::free(block); }

void NoteLostAllocation() { failures.fetch_add(1, std::memory_order_relaxed); }

std::uint64_t FailedAllocations() { return failures.load(std::memory_order_relaxed); }

ScopedAllocationFailure::ScopedAllocationFailure(std::uint64_t allowed)
    : refusedAtStart_(refused.load(std::memory_order_relaxed)) {
  allowance.store(allowed, std::memory_order_relaxed);
  limited.store(true, std::memory_order_relaxed);
}

ScopedAllocationFailure::~ScopedAllocationFailure() {
  limited.store(false, std::memory_order_relaxed);
}

std::uint64_t ScopedAllocationFailure::Refused() const {
  return refused.load(std::memory_order_relaxed) - refusedAtStart_;
}

}  // namespace marlix
