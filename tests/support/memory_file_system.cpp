#include "support/memory_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace marlix::platform {
namespace {

// Hands out the components of a path one by one, "" and "." passed over;
// ".." is handed out for the caller to resolve. Nothing is copied.
class Components {
 public:
  explicit Components(std::string_view path) : path_(path) {}
  bool Next(std::string_view& part) {
    while (at_ <= path_.size()) {
      std::size_t slash = path_.find('/', at_);
      if (slash == std::string_view::npos) slash = path_.size();
      part = path_.substr(at_, slash - at_);
      at_ = slash + 1;
      if (!part.empty() && part != ".") return true;
    }
    return false;
  }

 private:
  std::string_view path_;
  std::size_t at_ = 0;
};

bool IsBareName(const char* name) {
  return name[0] != 0 && std::strchr(name, '/') == nullptr && std::strcmp(name, ".") != 0 &&
         std::strcmp(name, "..") != 0;
}

}  // namespace

MemoryFileSystem::MemoryFileSystem() {
  nodes_.push_back(Node{});
  nodes_[0].folder = true;
}

void MemoryFileSystem::Reset() {
  used_ = 1;
  nodes_[0].order.clear();
  nodes_[0].sorted.clear();
  std::vector<std::uint32_t> readSizes = std::move(faults.readSizes);
  readSizes.clear();
  faults = Faults{};
  faults.readSizes = std::move(readSizes);
  files_.clear();
  held_.clear();
  createdIn_.clear();
  nextHandle_ = 3;
  opens_ = creates_ = reads_ = writes_ = sizes_ = closes_ = makeFolders_ = holds_ = listings_ = 0;
  nextReadSize_ = 0;
  faultsPlayed_ = 0;
}

bool MemoryFileSystem::Fault(std::uint64_t& calls, std::uint64_t failsAt) {
  ++calls;
  if (failsAt == 0 || calls != failsAt) return false;
  ++faultsPlayed_;
  errno = EIO;  // what LastError reports for a played failure
  return true;
}

int MemoryFileSystem::Find(std::string_view path) const {
  if (path.empty()) return kNone;
  int node = 0;
  Components parts(path);
  for (std::string_view part; parts.Next(part);) {
    if (!nodes_[node].folder) return kNone;
    if (part == "..") {
      if (nodes_[node].parent != kNone) node = nodes_[node].parent;
      continue;
    }
    node = Entry(node, part);
    if (node == kNone) return kNone;
  }
  return node;
}

int MemoryFileSystem::Parent(std::string_view path, std::string& name) const {
  // The last component, and where it starts.
  std::string_view last;
  Components parts(path);
  for (std::string_view part; parts.Next(part);) last = part;
  if (last.empty() || last == "..") return kNone;
  name.assign(last);
  const std::size_t start = static_cast<std::size_t>(last.data() - path.data());
  int folder = Find(start == 0 ? std::string_view("/") : path.substr(0, start));
  return folder != kNone && nodes_[folder].folder ? folder : kNone;
}

MemoryFileSystem::OpenFile* MemoryFileSystem::OpenEntry(FileHandle file) {
  for (auto& [handle, open] : files_) {
    if (handle == file) return &open;
  }
  return nullptr;
}

int MemoryFileSystem::Entry(int folder, std::string_view name) const {
  const std::vector<int>& sorted = nodes_[folder].sorted;
  auto it = std::lower_bound(sorted.begin(), sorted.end(), name,
                             [this](int entry, std::string_view key) {
                               return std::string_view(nodes_[entry].name) < key;
                             });
  return it != sorted.end() && nodes_[*it].name == name ? *it : kNone;
}

int MemoryFileSystem::AddNode(int parent, std::string_view name, bool folder) {
  int node = static_cast<int>(used_);
  if (used_ == nodes_.size()) nodes_.emplace_back();
  ++used_;
  Node& made = nodes_[node];
  made.folder = folder;
  made.parent = parent;
  made.name.assign(name);
  made.bytes.clear();
  made.order.clear();
  made.sorted.clear();
  Link(parent, node);
  return node;
}

void MemoryFileSystem::Link(int folder, int node) {
  std::vector<int>& sorted = nodes_[folder].sorted;
  const std::string_view name = nodes_[node].name;
  auto it = std::lower_bound(sorted.begin(), sorted.end(), name,
                             [this](int entry, std::string_view key) {
                               return std::string_view(nodes_[entry].name) < key;
                             });
  sorted.insert(it, node);
  nodes_[folder].order.push_back(node);
}

void MemoryFileSystem::Unlink(int folder, int node) {
  for (std::vector<int>* list : {&nodes_[folder].sorted, &nodes_[folder].order}) {
    list->erase(std::find(list->begin(), list->end(), node));
  }
}

std::string MemoryFileSystem::PathOf(int node) const {
  if (node == 0) return "/";
  std::vector<int> chain;
  for (; node != 0; node = nodes_[node].parent) chain.push_back(node);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    path += '/';
    path += nodes_[*it].name;
  }
  return path;
}

bool MemoryFileSystem::AddFolder(std::string_view path) {
  int parent = Parent(path, name_);
  if (parent == kNone || Entry(parent, name_) != kNone) return false;
  AddNode(parent, name_, true);
  return true;
}

bool MemoryFileSystem::AddFile(std::string_view path, std::string_view bytes) {
  int parent = Parent(path, name_);
  if (parent == kNone || Entry(parent, name_) != kNone) return false;
  nodes_[AddNode(parent, name_, false)].bytes.assign(bytes);
  return true;
}

bool MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  int node = Find(from);
  std::string name;
  int parent = Parent(to, name);
  if (node == kNone || node == 0 || parent == kNone || Entry(parent, name) != kNone) {
    return false;
  }
  for (int up = parent; up != kNone; up = nodes_[up].parent) {
    if (up == node) return false;  // into itself
  }
  Unlink(nodes_[node].parent, node);
  nodes_[node].parent = parent;
  nodes_[node].name = name;
  Link(parent, node);
  return true;
}

bool MemoryFileSystem::Exists(const std::string& path) const { return Find(path) != kNone; }

bool MemoryFileSystem::IsFolder(const std::string& path) const {
  int node = Find(path);
  return node != kNone && nodes_[node].folder;
}

bool MemoryFileSystem::FileBytes(const std::string& path, std::string& bytes) const {
  int node = Find(path);
  if (node == kNone || nodes_[node].folder) return false;
  bytes = nodes_[node].bytes;
  return true;
}

std::vector<std::string> MemoryFileSystem::Names(const std::string& folder) const {
  std::vector<std::string> names;
  int node = Find(folder);
  if (node == kNone || !nodes_[node].folder) return names;
  for (int entry : nodes_[node].sorted) {
    names.push_back(nodes_[entry].folder ? nodes_[entry].name + "/" : nodes_[entry].name);
  }
  return names;
}

std::map<std::string, std::string> MemoryFileSystem::AllFiles() const {
  std::map<std::string, std::string> files;
  for (std::size_t node = 1; node < used_; ++node) {
    if (!nodes_[node].folder) files[PathOf(static_cast<int>(node))] = nodes_[node].bytes;
  }
  return files;
}

std::vector<std::string> MemoryFileSystem::CreatedInFolders() const {
  std::vector<std::string> folders;
  for (int folder : createdIn_) folders.push_back(PathOf(folder));
  return folders;
}

std::size_t MemoryFileSystem::CreatedOutside(const std::string& folder) const {
  const int node = Find(folder);
  if (node == kNone || !nodes_[node].folder) return createdIn_.size();
  return static_cast<std::size_t>(
      std::count_if(createdIn_.begin(), createdIn_.end(), [node](int in) { return in != node; }));
}

FileHandle MemoryFileSystem::OpenExisting(const char* path) {
  if (Fault(opens_, faults.openFailsAt)) return kNoFile;
  int node = Find(path);
  if (node == kNone || nodes_[node].folder) return kNoFile;
  FileHandle file = nextHandle_++;
  files_.emplace_back(file, OpenFile{node});
  return file;
}

FileHandle MemoryFileSystem::CreateIn(int folder, std::string_view name) {
  if (Fault(creates_, faults.createFailsAt)) return kNoFile;
  if (Entry(folder, name) != kNone) return kNoFile;  // never replaced
  int node = AddNode(folder, name, false);
  createdIn_.push_back(folder);
  FileHandle file = nextHandle_++;
  files_.emplace_back(file, OpenFile{node, 0, true});
  return file;
}

FileHandle MemoryFileSystem::CreateNewIn(FolderHandle folder, const char* name) {
  auto it = std::find_if(held_.begin(), held_.end(),
                         [folder](const auto& held) { return held.first == folder; });
  if (it == held_.end() || !IsBareName(name)) {
    ++creates_;
    return kNoFile;
  }
  return CreateIn(it->second, name);
}

std::int64_t MemoryFileSystem::Read(FileHandle file, void* buffer, std::size_t size) {
  OpenFile* entry = OpenEntry(file);
  if (entry == nullptr || entry->writing) return -1;
  OpenFile& open = *entry;
  if (open.readFailed || Fault(reads_, faults.readFailsAt)) {
    open.readFailed = true;
    return -1;
  }
  if (!faults.readSizes.empty()) {
    std::uint32_t most = faults.readSizes[nextReadSize_++ % faults.readSizes.size()];
    if (most != 0 && most < size) size = most;
  }
  const std::string& bytes = nodes_[open.node].bytes;
  if (open.position >= bytes.size()) return 0;
  std::size_t n = std::min<std::size_t>(size, bytes.size() - open.position);
  std::memcpy(buffer, bytes.data() + open.position, n);
  open.position += n;
  return static_cast<std::int64_t>(n);
}

bool MemoryFileSystem::Write(FileHandle file, const void* bytes, std::size_t size) {
  OpenFile* open = OpenEntry(file);
  if (open == nullptr || !open->writing) return false;
  std::string& content = nodes_[open->node].bytes;
  if (Fault(writes_, faults.writeFailsAt)) {
    content.append(static_cast<const char*>(bytes), size / 2);  // as a disk that fills up
    return false;
  }
  content.append(static_cast<const char*>(bytes), size);
  return true;
}

std::int64_t MemoryFileSystem::Size(FileHandle file) {
  OpenFile* open = OpenEntry(file);
  if (open == nullptr || Fault(sizes_, faults.sizeFailsAt)) return -1;
  return static_cast<std::int64_t>(nodes_[open->node].bytes.size());
}

bool MemoryFileSystem::Close(FileHandle file) {
  auto it = std::find_if(files_.begin(), files_.end(),
                         [file](const auto& open) { return open.first == file; });
  if (it == files_.end()) return false;
  files_.erase(it);
  return !Fault(closes_, faults.closeFailsAt);
}

bool MemoryFileSystem::MakeFolder(const char* path) {
  if (Fault(makeFolders_, faults.makeFolderFailsAt)) return false;
  return AddFolder(path);
}

bool MemoryFileSystem::List(int folder, NameVisitor visit, void* context) {
  bool fails = Fault(listings_, faults.listingFailsAt);
  std::uint32_t visited = 0;
  // By index, the length taken first: the visitor may not change the folder,
  // but names it is handed must not move under it either.
  const std::size_t count = nodes_[folder].order.size();
  for (std::size_t i = 0; i < count; ++i) {
    const int node = nodes_[folder].order[i];
    if (nodes_[node].folder) continue;
    if (fails && visited == faults.namesBeforeFailure) return false;
    visit(nodes_[node].name.c_str(), context);
    ++visited;
  }
  return !fails;
}

bool MemoryFileSystem::ListFolder(const char* folder, NameVisitor visit, void* context) {
  int node = Find(folder);
  if (node == kNone || !nodes_[node].folder) {
    ++listings_;
    return false;
  }
  return List(node, visit, context);
}

FolderHandle MemoryFileSystem::HoldFolder(const char* path) {
  if (Fault(holds_, faults.holdFailsAt)) return kNoFolder;
  int node = Find(path);
  if (node == kNone || !nodes_[node].folder) return kNoFolder;
  FolderHandle folder = nextHandle_++;
  held_.emplace_back(folder, node);
  return folder;
}

bool MemoryFileSystem::ListHeldFolder(FolderHandle folder, NameVisitor visit, void* context) {
  auto it = std::find_if(held_.begin(), held_.end(),
                         [folder](const auto& held) { return held.first == folder; });
  if (it == held_.end()) {
    ++listings_;
    return false;
  }
  return List(it->second, visit, context);
}

bool MemoryFileSystem::ReleaseFolder(FolderHandle folder) {
  auto it = std::find_if(held_.begin(), held_.end(),
                         [folder](const auto& held) { return held.first == folder; });
  if (it == held_.end()) return false;
  held_.erase(it);
  return true;
}

}  // namespace marlix::platform
