#include "support/allocation.h"

#include <cstdlib>

namespace marlix {
namespace {

std::uint64_t failures = 0;
// While a ScopedAllocationFailure lives: how many allocations may still succeed.
bool limited = false;
std::uint64_t allowance = 0;
std::uint64_t refused = 0;

bool Refuse() {
  if (!limited) return false;
  if (allowance > 0) {
    --allowance;
    return false;
  }
  ++refused;
  return true;
}

void* Counted(void* block) {
  if (block == nullptr) ++failures;
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

void NoteLostAllocation() { ++failures; }

std::uint64_t FailedAllocations() { return failures; }

ScopedAllocationFailure::ScopedAllocationFailure(std::uint64_t allowed)
    : refusedAtStart_(refused) {
  allowance = allowed;
  limited = true;
}

ScopedAllocationFailure::~ScopedAllocationFailure() { limited = false; }

std::uint64_t ScopedAllocationFailure::Refused() const { return refused - refusedAtStart_; }

}  // namespace marlix
