// The project files of a help compiler: the keyword index Index.hhk, the
// project file Marlix.hhp and the contents file toc.hhc.
#pragma once

#include "engine/source_discovery.h"
#include "engine/topic_catalogue.h"
#include "support/text_string.h"

namespace marlix {

class OutputTally;

void WriteHelpProject(const TextString& folder, const SourceFileList& sourceFiles,
                      const TopicCatalogue& catalogue, OutputTally& tally);

}  // namespace marlix
