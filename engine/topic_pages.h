// The topic pages: each source file is cut into topics at its topic lines and
// each topic written to its own page, titled by the line after its topic line.
#pragma once

#include "engine/source_discovery.h"
#include "engine/topic_catalogue.h"
#include "support/text_string.h"

namespace marlix {

class OutputTally;
class SourceChecks;

// The bytes of a topic line from its second byte up to the next ":".
TextString FirstTopicName(const TextString& topicLine);

// Writes one page per topic into folder, the page the catalogue named for it.
// When checks are given, every piece of every file goes past them as well.
void WriteTopicPages(const TextString& folder, const SourceFileList& sourceFiles,
                     const TopicCatalogue& catalogue, OutputTally& tally,
                     SourceChecks* checks = nullptr);

}  // namespace marlix
