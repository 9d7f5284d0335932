#include "support/source_scratch.h"

#include <filesystem>

namespace marlix::testing {

SourceScratch::SourceScratch() { std::filesystem::create_directory(*this / "src"); }

void SourceScratch::AddSource(const std::string& name, const std::string& bytes) const {
  WriteFileBytes(*this / "src" / name, bytes);
}

ConversionOutcome SourceScratch::Convert() const {
  ConversionRequest request{(*this / "src").c_str(), Path().c_str(), "out"};
  return RunConversion(request);
}

}  // namespace marlix::testing
