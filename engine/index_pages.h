// The two upper levels of the page tree: Index.htm with one link per source
// file, and one section page per source file listing its topics' names.
#pragma once

#include "engine/source_discovery.h"
#include "engine/topic_catalogue.h"
#include "support/output_file.h"
#include "support/text_string.h"

namespace marlix {

class OutputTally;

// The home page the credit line of Index.htm links to.
extern const char kAuthorHomePage[];

// "Topic" + file index + ".htm".
TextString SectionPageName(std::uint32_t fileIndex);

// False only when Index.htm cannot be created.
bool WriteIndexPage(const TextString& folder, const SourceFileList& sourceFiles,
                    OutputTally& tally);

void WriteSectionPages(const TextString& folder, const SourceFileList& sourceFiles,
                       const TopicCatalogue& catalogue, OutputTally& tally);

// One link line per name of the topic line, each to page, the topic line's own page.
void WriteTopicLinks(OutputFile& file, const char* topicLine, std::uint32_t length,
                     const char* page, std::uint32_t pageLength);

}  // namespace marlix
