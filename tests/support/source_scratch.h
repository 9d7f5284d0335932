// A scratch folder with a source folder "src" to fill, converted into "out"
// beside it: the set-up most end-to-end engine tests share.
#pragma once

#include <string>

#include "engine/conversion_driver.h"
#include "support/scratch_folder.h"

namespace marlix::testing {

class SourceScratch : public ScratchFolder {
 public:
  SourceScratch();
  // Writes a source file src/name holding bytes.
  void AddSource(const std::string& name, const std::string& bytes) const;
  // Converts src into the new folder out.
  ConversionOutcome Convert() const;
};

}  // namespace marlix::testing
