#include "engine/editions/editions.h"

#include "engine/editions/classic/classic_edition.h"
#include "engine/editions/docset/docset_texts.h"
#include "engine/editions/epub/epub_edition.h"
#include "engine/editions/web/web_edition.h"

#ifdef MARLIX_HAS_DOCSET
#include "engine/editions/docset/docset_edition.h"
#endif

namespace marlix {
namespace {

bool WriteClassic(const ConversionRequest&, const TopicCatalogue& catalogue, EditionSteps& steps) {
  ClassicEdition edition(catalogue);
  return steps.Run(edition);
}

bool WriteWeb(const ConversionRequest& request, const TopicCatalogue& catalogue,
              EditionSteps& steps) {
  WebEdition edition(catalogue, ReferenceTitle(request));
  return steps.Run(edition);
}

// The docset's index is an SQLite database: builds without the SQLite
// library (the Windows ones) cannot write docsets.
#ifdef MARLIX_HAS_DOCSET
constexpr bool kDocsetAvailable = true;
bool WriteDocset(const ConversionRequest& request, const TopicCatalogue& catalogue,
                 EditionSteps& steps) {
  // A title is the name as given; NAME loses the suffix of its folder.
  DocsetEdition edition(catalogue, request.title.IsEmpty()
                                       ? DocsetBundleName(request.destinationFolderName)
                                       : request.title);
  return steps.Run(edition);
}
#else
constexpr bool kDocsetAvailable = false;
bool WriteDocset(const ConversionRequest&, const TopicCatalogue&, EditionSteps&) {
  return false;  // refused before the run begins
}
#endif

bool WriteEpub(const ConversionRequest& request, const TopicCatalogue& catalogue,
               EditionSteps& steps) {
  EpubBook book;
  book.title = ReferenceTitle(request);
  book.language = request.language.IsEmpty() ? TextString("en") : request.language;
  if (!IsLanguageTag(book.language.CStr())) return false;
  book.time = BookTime(steps.SourceFiles());
  EpubEdition edition(catalogue, book);
  return steps.Run(edition);
}

constexpr EditionRow kEditions[] = {
    {OutputEdition::Classic, nullptr, "Classic pages",
     "HTML pages in code page 437 and the project files of a help compiler", "",
     "Help project", true, true, "", nullptr, StartPage::ContentsPage, nullptr, WriteClassic},
    {OutputEdition::Web, "web", "Web edition",
     "write the web edition instead: UTF-8 pages with a style sheet and a search page, and no "
     "help project files",
     "%s and --web cannot be used together (the web edition has no help project)",
     "Search page, scripts and style sheet", false, true, "", nullptr, StartPage::ContentsPage, nullptr, WriteWeb},
    {OutputEdition::Docset, "docset", "Docset",
     "write a docset for offline documentation browsers instead: the folder NAME.docset, the web "
     "edition's pages with an index of every topic name",
     "--docset and %s cannot be used together (a docset holds the web edition's pages, and no "
     "help project)",
     "Style sheet, index, Info.plist and icons", false, kDocsetAvailable,
     "this build cannot write docsets (it has no SQLite library)", kDocsetSuffix,
     StartPage::OutputFolder, nullptr, WriteDocset},
    {OutputEdition::Epub, "epub", "E-book",
     "write an e-book instead: the one file NAME.epub (EPUB 3) with the web edition's pages, "
     "for e-readers",
     "--epub and %s cannot be used together (an e-book holds the web edition's pages, and no "
     "help project)",
     "Style sheet, font and package document", false, true, "", kEpubSuffix,
     StartPage::OutputFile, IsLanguageTag, WriteEpub},
};

}  // namespace

std::span<const EditionRow> Editions() { return kEditions; }

const EditionRow& EditionOf(OutputEdition id) {
  for (const EditionRow& row : kEditions) {
    if (row.id == id) return row;
  }
  return kEditions[0];
}

bool CanWrite(OutputEdition edition) { return EditionOf(edition).available; }

}  // namespace marlix
