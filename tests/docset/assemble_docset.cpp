// Assembles a docset by hand from a finished web edition, with the docset's
// own building blocks (the index, the Info.plist text, the names, the anchors, the
// icons) and the held-folder calls the edition will write through: a test
// stand-in for the docset edition, so that those blocks and the test harness
// are proven against a real documentation browser.
//
//   assemble_docset WEB_FOLDER SOURCE_FOLDER DESTINATION_FOLDER NAME
//       makes DESTINATION_FOLDER/NAME.docset from WEB_FOLDER, the web edition
//       of SOURCE_FOLDER, and prints its figures in one line
//   assemble_docset --plist NAME
//       prints the Info.plist made for NAME
//
// Exit status 0 on success, 1 on wrong arguments, 2 when anything failed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/docset_icons.h"
#include "engine/docset_index.h"
#include "engine/docset_texts.h"
#include "engine/index_pages.h"
#include "engine/output_tally.h"
#include "engine/source_discovery.h"
#include "engine/source_scanner.h"
#include "engine/topic_catalogue.h"
#include "support/held_folder.h"
#include "support/output_file.h"
#include "support/platform/file_system.h"

namespace marlix {
namespace {

int Failed(const std::string& what) {
  std::fprintf(stderr, "assemble_docset: %s\n", what.c_str());
  return 2;
}

std::string Plain(const TextString& text) { return std::string(text.CStr(), text.Length()); }

bool ReadWhole(const std::string& path, std::string& bytes) {
  std::ifstream file(path, std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return static_cast<bool>(file) || file.eof();
}

bool WriteFile(const TextString& path, const void* bytes, std::size_t size) {
  OutputFile file;
  return file.Create(path) && file.WriteBytes(static_cast<const char*>(bytes), size) &&
         file.Close();
}

void RemoveAll(std::string& text, const std::string& piece) {
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at)) {
    text.erase(at, piece.size());
  }
}

// The web edition's page without its search links and find forms, with the
// anchors of names after the opening of its main element.
std::string DocsetPage(std::string page, const std::vector<std::string>& names) {
  RemoveAll(page, "<li><a href=\"search.htm\">Search</a></li>\r\n");
  // The contents page's navigation held the search link alone.
  RemoveAll(page,
            "<header>\r\n<nav aria-label=\"Site\">\r\n<ul>\r\n</ul>\r\n</nav>\r\n</header>\r\n");
  for (std::size_t at = page.find("<form class=\"find\""); at != std::string::npos;
       at = page.find("<form class=\"find\"", at)) {
    const std::size_t end = page.find("</form>\r\n", at);
    if (end == std::string::npos) break;
    page.erase(at, end + 9 - at);
  }
  if (!names.empty()) {
    const std::size_t main = page.find("<main>\r\n");
    if (main != std::string::npos) {
      TextString anchors;
      for (const std::string& name : names) {
        AppendDocsetAnchor(anchors, name.data(), name.size());
        anchors.Append("\r\n");
      }
      page.insert(main + 8, Plain(anchors));
    }
  }
  return page;
}

int Assemble(const char* webFolder, const char* sourceFolder, const char* destination,
             const char* name) {
  SourceFileList sourceFiles;
  if (!DiscoverSourceFiles(sourceFolder, sourceFiles) || sourceFiles.Count() == 0) {
    return Failed(std::string("no source files in ") + sourceFolder);
  }
  OutputTally tally;
  TopicCatalogue catalogue;
  BuildTopicCatalogue(sourceFiles, catalogue, tally);

  // The rows: every name that is not blank with its page, every section.
  const auto started = std::chrono::steady_clock::now();
  DocsetIndex index;
  bool indexed = index.Open();
  std::map<std::string, std::vector<std::string>> namesByPage;
  std::uint32_t entries = 0;
  TextString utf8;
  for (std::uint32_t i = 0; i < catalogue.Count() && indexed; ++i) {
    const TextString& key = *catalogue.Entries().KeyRef(i);
    const TextString& page = *catalogue.Entries().ValueRef(i);
    if (IsBlankDocsetName(key.CStr(), key.Length())) continue;
    utf8.Empty();
    AppendDocsetName(utf8, key.CStr(), key.Length());
    indexed = index.Add(utf8, kDocsetEntryType, page);
    std::vector<std::string>& names = namesByPage[Plain(page)];
    if (std::find(names.begin(), names.end(), Plain(utf8)) == names.end()) {
      names.push_back(Plain(utf8));
    }
    ++entries;
  }
  SourceScanner scanner;
  for (std::uint32_t file = 0; file < sourceFiles.Count() && indexed; ++file) {
    if (!scanner.Open(sourceFiles.At(file), 0)) return Failed("cannot read a source file again");
    TextString title = scanner.SectionTitle();
    scanner.Close();
    std::uint32_t length = title.Length();
    if (length > 0 && title[length - 1] == '\r') --length;
    utf8.Empty();
    if (IsBlankDocsetName(title.CStr(), length)) {
      utf8 = "Untitled section";
    } else {
      AppendDocsetName(utf8, title.CStr(), length);
    }
    indexed = index.Add(utf8, kDocsetSectionType, SectionPageName(file));
  }
  ByteBuffer image;
  indexed = indexed && index.Finish(image);
  const auto took =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started);
  if (!indexed)
    return Failed("the index could not be built (error " + std::to_string(index.Error()) + ")");

  // The folders, each made through its parent's handle and held.
  const TextString folder = JoinPath(destination, DocsetFolderName(name));
  if (!platform::Files().MakeFolder(folder.CStr())) return Failed("cannot make " + Plain(folder));
  HeldFolder root, contents, resources, documents;
  if (!root.Hold(folder) || !contents.HoldNewIn(root, kDocsetContentsFolder) ||
      !resources.HoldNewIn(contents, kDocsetResourcesFolder) ||
      !documents.HoldNewIn(resources, kDocsetDocumentsFolder)) {
    return Failed("cannot make the folders inside " + Plain(folder));
  }
  const TextString contentsPath = JoinPath(folder, kDocsetContentsFolder);
  const TextString resourcesPath = JoinPath(contentsPath, kDocsetResourcesFolder);
  const TextString documentsPath = JoinPath(resourcesPath, kDocsetDocumentsFolder);
  const TextString plist = DocsetInfoPlist(name);
  if (!WriteFile(JoinPath(folder, kDocsetIconName), kDocsetIcon.bytes, kDocsetIcon.size) ||
      !WriteFile(JoinPath(folder, kDocsetIcon2xName), kDocsetIcon2x.bytes, kDocsetIcon2x.size) ||
      !WriteFile(JoinPath(contentsPath, kDocsetInfoPlistName), plist.CStr(), plist.Length()) ||
      !WriteFile(JoinPath(resourcesPath, kDocsetIndexFileName), image.Data(), image.Size())) {
    return Failed("cannot write the docset's own files");
  }

  // The pages; the search page and its scripts stay out.
  StringList files;
  if (!ListFiles(webFolder, "*", files)) return Failed(std::string("cannot list ") + webFolder);
  std::uint32_t pages = 0;
  for (std::uint32_t i = 0; i < files.Count(); ++i) {
    const std::string file = Plain(*files.Ref(i));
    if (file == "search.htm" || file == "search.js" || file == "search-index.js") continue;
    std::string bytes;
    if (!ReadWhole(Plain(JoinPath(webFolder, file.c_str())), bytes))
      return Failed("cannot read " + file);
    if (file.size() > 4 && file.compare(file.size() - 4, 4, ".htm") == 0) {
      bytes = DocsetPage(bytes, namesByPage[file]);
      ++pages;
    }
    if (!WriteFile(JoinPath(documentsPath, file.c_str()), bytes.data(), bytes.size())) {
      return Failed("cannot write " + file);
    }
  }
  std::printf("%s: %u rows (%u names, %u sections), %u pages, index %zu bytes built in %.1f ms\n",
              folder.CStr(), index.Rows(), entries, sourceFiles.Count(), pages, image.Size(),
              took.count());
  return tally.Complete() ? 0 : Failed("the catalogue is incomplete");
}

}  // namespace
}  // namespace marlix

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--plist") == 0) {
    const marlix::TextString plist = marlix::DocsetInfoPlist(argv[2]);
    std::fwrite(plist.CStr(), 1, plist.Length(), stdout);
    return 0;
  }
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: assemble_docset WEB_FOLDER SOURCE_FOLDER DESTINATION_FOLDER NAME\n"
                 "       assemble_docset --plist NAME\n");
    return 1;
  }
  return marlix::Assemble(argv[1], argv[2], argv[3], argv[4]);
}
