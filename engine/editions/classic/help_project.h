// The project files of a help compiler: the keyword index, the project file
// and the contents file, each appended to a file built in memory.
#pragma once

#include "engine/format/topic_catalogue.h"
#include "support/indexed_lists.h"
#include "support/text_string.h"

namespace marlix {

// The help project's files, and what compiling it makes.
inline constexpr char kKeywordIndexName[] = "Index.hhk";
inline constexpr char kProjectFileName[] = "Marlix.hhp";
inline constexpr char kContentsFileName[] = "toc.hhc";
inline constexpr char kCompiledHelpName[] = "Marlix.chm";

// One flat entry per catalogue entry, in catalogue order.
void AppendKeywordIndex(TextString& file, const TopicCatalogue& catalogue);
// The options, then every page of the folder (pages, in listing order).
void AppendProjectFile(TextString& file, const StringList& pages);
// The contents page, then one entry per section the catalogue could read.
void AppendContentsFile(TextString& file, const TopicCatalogue& catalogue);

}  // namespace marlix
