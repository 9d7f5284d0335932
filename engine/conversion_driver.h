// One conversion from a request to the files on disk, and what the front ends
// need to present its outcome.
#pragma once

#include "engine/diagnostics.h"
#include "support/file_names.h"
#include "support/text_string.h"

namespace marlix {

// Which pages a run writes: the classic pages with the help project files,
// the web edition (UTF-8 pages with a style sheet and a search page), or a
// docset of the web edition's pages for offline documentation browsers.
// Everything else about an edition is its row in the table of editions
// (engine/editions/editions.h).
enum class OutputEdition { Classic, Web, Docset };

// Whether this build can write the edition (its row says). A run asked for
// one it cannot write ends as an unexpected error before anything is made.
bool CanWrite(OutputEdition edition);

// The three inputs, taken exactly as typed: no trimming, no case change; and
// the edition, classic unless a front end asks otherwise.
struct ConversionRequest {
  TextString sourceFolderPath;
  TextString destinationFolderPath;
  TextString destinationFolderName;
  OutputEdition edition = OutputEdition::Classic;
  // The reference's name in the editions that show one (the web pages'
  // titles, a docset's name), as given (UTF-8); empty: the destination
  // folder's name.
  TextString title = TextString();
};

enum class ConversionOutcome {
  Completed,
  InfoMissing,
  DestinationNotCreated,
  NoValidSourceFiles,
  UnexpectedError,
  IncompleteOutput,
};

// Icon kinds of the outcome message; each front end shows them its own way.
enum class MessageKind { None, Error, Warning };

// What a front end shows for an outcome. Completed has no message
// (kind None, empty text and title).
struct OutcomeMessage {
  const char* text;
  const char* title;
  MessageKind kind;
};

OutcomeMessage DescribeOutcome(ConversionOutcome outcome);

// Figures of one run, for front ends that like to say what was done.
struct ConversionSummary {
  unsigned sourceFiles = 0;          // entries of the source file list
  unsigned topics = 0;               // topic lines found by the catalogue
  unsigned filesWritten = 0;         // output files created and written in full
  unsigned filesFailed = 0;          // output files not created or not fully written
  unsigned sourcesUnreadable = 0;    // source files that could not be read again (or in full)
  unsigned allocationsFailed = 0;    // copies or appends that memory or a size limit refused
  bool sourceListingFailed = false;  // the source folder could not be listed to its end
  TextString contentsPage;           // the contents page's path, once it was made
  TextString startPage;              // what a reader opens first, once the output exists
};

ConversionOutcome RunConversion(const ConversionRequest& request);
ConversionOutcome RunConversion(const ConversionRequest& request, ConversionSummary& summary);
// The same, telling diagnostics what happened along the way.
ConversionOutcome RunConversion(const ConversionRequest& request, ConversionSummary& summary,
                                Diagnostics& diagnostics);

// JoinPath(destinationFolderPath, destinationFolderName): the folder a run
// creates and writes into. An edition whose row has a folder suffix adds it
// to NAME unless NAME ends so already (a docset's ".docset", by which the
// browsers know docsets).
TextString DestinationFolder(const ConversionRequest& request);

// The reference's name that an edition shows: the request's title, or else
// the destination folder's name.
const TextString& ReferenceTitle(const ConversionRequest& request);

}  // namespace marlix
