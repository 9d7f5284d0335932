#include "support/allocation.h"

#include <atomic>
#include <cstdlib>

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

}  // namespace

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
