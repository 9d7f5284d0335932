#include "engine/editions/docset/docset_edition.h"

#include "engine/editions/docset/docset_icons.h"
#include "engine/editions/docset/docset_index.h"
#include "engine/editions/docset/docset_texts.h"
#include "engine/format/page_names.h"
#include "engine/editions/web/web_text.h"

namespace marlix {

bool DocsetEdition::Prepare(PageSink& sink) {
  return sink.EnterFolder(kDocsetContentsFolder) && sink.EnterFolder(kDocsetResourcesFolder) &&
         sink.EnterFolder(kDocsetDocumentsFolder);
}

void DocsetEdition::WriteClosingFiles(PageSink& sink) {
  web_.WriteClosingFiles(sink);
  sink.LeaveFolder();
  WriteIndex(sink);
  sink.LeaveFolder();
  sink.Write(kDocsetInfoPlistName, DocsetInfoPlist(ShownReferenceName(name_)));
  sink.LeaveFolder();
  sink.Write(kDocsetIconName, kDocsetIcon, kDocsetIconSize);
  sink.Write(kDocsetIcon2xName, kDocsetIcon2x, kDocsetIcon2xSize);
}

void DocsetEdition::WriteIndex(PageSink& sink) {
  DocsetIndex index;
  bool built = index.Open();
  TextString name;  // in UTF-8
  TextString path;
  const PairList& entries = catalogue_.Entries();
  for (std::uint32_t entry = 0; built && entry < entries.Count(); ++entry) {
    const TextString& key = *entries.KeyRef(entry);
    if (IsBlankDocsetName(key.CStr(), key.Length())) continue;
    name.Empty();
    AppendDocsetName(name, key.CStr(), key.Length());
    // The page and the name's anchor on it: the browser lists the rows of
    // the open page that carry an anchor as its table of contents.
    path = *entries.ValueRef(entry);
    path.AppendChar('#');
    AppendDocsetAnchorName(path, name.CStr(), name.Length());
    built = index.Add(name, kDocsetEntryType, path);
  }
  for (std::uint32_t fileIndex = 0; built && fileIndex < catalogue_.SectionCount(); ++fileIndex) {
    const CatalogueSection& section = catalogue_.Section(fileIndex);
    if (!section.read) continue;  // it has no section page
    // The title as its page shows it.
    const std::uint32_t length =
        WithoutLineEndResidue(section.title.CStr(), section.title.Length());
    name.Empty();
    if (IsBlankDocsetName(section.title.CStr(), length)) {
      name.Append(kUntitledSection);
    } else {
      AppendDocsetName(name, section.title.CStr(), length);
    }
    built = index.Add(name, kDocsetSectionType, SectionPageName(fileIndex));
  }
  built = built && index.Finish();
  if (built) {
    sink.Write(kDocsetIndexFileName, index.Bytes(), index.Size());
  } else {
    sink.Write(kDocsetIndexFileName, "", 0, false, index.Error());
  }
}

}  // namespace marlix
