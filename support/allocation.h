// The heap blocks of the support library and the engine all come from here,
// so that a block that could not be had is never lost silently: every failure
// is counted, and a conversion that saw the count move reports lost output.
// Tests can make allocations fail on demand (ScopedAllocationFailure).
#pragma once

#include <cstddef>
#include <cstdint>

namespace marlix {

// malloc/realloc/free; nullptr (counted) when the block cannot be had.
void* AllocateBytes(std::size_t size);
void* ReallocateBytes(void* block, std::size_t size);
void ReleaseBytes(void* block);

// A copy or append that could not be made for another reason (a size limit).
void NoteLostAllocation();

// How many allocations, copies or appends have failed since the start.
std::uint64_t FailedAllocations();

// While it lives, lets the next `allowed` allocations succeed and fails every
// later one, as an exhausted heap would.
class ScopedAllocationFailure {
 public:
  explicit ScopedAllocationFailure(std::uint64_t allowed);
  ~ScopedAllocationFailure();
  ScopedAllocationFailure(const ScopedAllocationFailure&) = delete;
  ScopedAllocationFailure& operator=(const ScopedAllocationFailure&) = delete;

  // Allocations that were refused while it lived.
  std::uint64_t Refused() const;

 private:
  std::uint64_t refusedAtStart_;
};

}  // namespace marlix
