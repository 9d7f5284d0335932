#include "support/platform/memory_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace marlix::platform {
namespace {

// The components of path, "." dropped; ".." kept for the caller to resolve.
std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    std::string part = path.substr(start, slash - start);
    if (!part.empty() && part != ".") parts.push_back(part);
    start = slash + 1;
  }
  return parts;
}

bool IsBareName(const char* name) {
  return name[0] != 0 && std::strchr(name, '/') == nullptr && std::strcmp(name, ".") != 0 &&
         std::strcmp(name, "..") != 0;
}

}  // namespace

MemoryFileSystem::MemoryFileSystem() {
  nodes_.push_back(Node{});
  nodes_[0].folder = true;
}

bool MemoryFileSystem::Fault(std::uint64_t& calls, std::uint64_t failsAt) {
  ++calls;
  if (failsAt == 0 || calls != failsAt) return false;
  ++faultsPlayed_;
  errno = EIO;  // what LastError reports for a played failure
  return true;
}

int MemoryFileSystem::Find(const std::string& path) const {
  if (path.empty()) return kNone;
  int node = 0;
  for (const std::string& part : Components(path)) {
    if (!nodes_[node].folder) return kNone;
    if (part == "..") {
      if (nodes_[node].parent != kNone) node = nodes_[node].parent;
      continue;
    }
    auto it = nodes_[node].entries.find(part);
    if (it == nodes_[node].entries.end()) return kNone;
    node = it->second;
  }
  return node;
}

int MemoryFileSystem::Parent(const std::string& path, std::string& name) const {
  std::vector<std::string> parts = Components(path);
  if (parts.empty() || parts.back() == "..") return kNone;
  name = parts.back();
  parts.pop_back();
  std::string parent = "/";
  for (const std::string& part : parts) parent += part + "/";
  int folder = Find(parent);
  return folder != kNone && nodes_[folder].folder ? folder : kNone;
}

int MemoryFileSystem::AddNode(int parent, const std::string& name, bool folder) {
  int node = static_cast<int>(nodes_.size());
  Node made;
  made.folder = folder;
  made.parent = parent;
  made.name = name;
  nodes_.push_back(std::move(made));
  nodes_[parent].entries[name] = node;
  nodes_[parent].order.push_back(node);
  return node;
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

bool MemoryFileSystem::AddFolder(const std::string& path) {
  std::string name;
  int parent = Parent(path, name);
  if (parent == kNone || nodes_[parent].entries.count(name) != 0) return false;
  AddNode(parent, name, true);
  return true;
}

bool MemoryFileSystem::AddFile(const std::string& path, const std::string& bytes) {
  std::string name;
  int parent = Parent(path, name);
  if (parent == kNone || nodes_[parent].entries.count(name) != 0) return false;
  nodes_[AddNode(parent, name, false)].bytes = bytes;
  return true;
}

bool MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  int node = Find(from);
  std::string name;
  int parent = Parent(to, name);
  if (node == kNone || node == 0 || parent == kNone || nodes_[parent].entries.count(name) != 0) {
    return false;
  }
  for (int up = parent; up != kNone; up = nodes_[up].parent) {
    if (up == node) return false;  // into itself
  }
  Node& old = nodes_[nodes_[node].parent];
  old.entries.erase(nodes_[node].name);
  old.order.erase(std::find(old.order.begin(), old.order.end(), node));
  nodes_[node].parent = parent;
  nodes_[node].name = name;
  nodes_[parent].entries[name] = node;
  nodes_[parent].order.push_back(node);
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
  for (const auto& [name, entry] : nodes_[node].entries) {
    names.push_back(nodes_[entry].folder ? name + "/" : name);
  }
  return names;
}

std::map<std::string, std::string> MemoryFileSystem::AllFiles() const {
  std::map<std::string, std::string> files;
  for (std::size_t node = 1; node < nodes_.size(); ++node) {
    if (!nodes_[node].folder) files[PathOf(static_cast<int>(node))] = nodes_[node].bytes;
  }
  return files;
}

std::vector<std::string> MemoryFileSystem::CreatedInFolders() const {
  std::vector<std::string> folders;
  for (int folder : createdIn_) folders.push_back(PathOf(folder));
  return folders;
}

FileHandle MemoryFileSystem::OpenExisting(const char* path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (Fault(opens_, faults.openFailsAt)) return kNoFile;
  int node = Find(path);
  if (node == kNone || nodes_[node].folder) return kNoFile;
  FileHandle file = nextHandle_++;
  files_[file] = OpenFile{node};
  return file;
}

FileHandle MemoryFileSystem::CreateIn(int folder, const std::string& name) {
  if (Fault(creates_, faults.createFailsAt)) return kNoFile;
  if (nodes_[folder].entries.count(name) != 0) return kNoFile;  // never replaced
  int node = AddNode(folder, name, false);
  createdIn_.push_back(folder);
  FileHandle file = nextHandle_++;
  files_[file] = OpenFile{node, 0, true};
  return file;
}

FileHandle MemoryFileSystem::CreateNew(const char* path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::string name;
  int folder = Parent(path, name);
  if (folder == kNone) {
    ++creates_;
    return kNoFile;
  }
  return CreateIn(folder, name);
}

FileHandle MemoryFileSystem::CreateNewIn(FolderHandle folder, const char* name) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = held_.find(folder);
  if (it == held_.end() || !IsBareName(name)) {
    ++creates_;
    return kNoFile;
  }
  return CreateIn(it->second, name);
}

std::int64_t MemoryFileSystem::Read(FileHandle file, void* buffer, std::size_t size) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = files_.find(file);
  if (it == files_.end() || it->second.writing) return -1;
  OpenFile& open = it->second;
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
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = files_.find(file);
  if (it == files_.end() || !it->second.writing) return false;
  std::string& content = nodes_[it->second.node].bytes;
  if (Fault(writes_, faults.writeFailsAt)) {
    content.append(static_cast<const char*>(bytes), size / 2);  // as a disk that fills up
    return false;
  }
  content.append(static_cast<const char*>(bytes), size);
  return true;
}

std::int64_t MemoryFileSystem::Size(FileHandle file) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = files_.find(file);
  if (it == files_.end() || Fault(sizes_, faults.sizeFailsAt)) return -1;
  return static_cast<std::int64_t>(nodes_[it->second.node].bytes.size());
}

bool MemoryFileSystem::Close(FileHandle file) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (files_.erase(file) == 0) return false;
  return !Fault(closes_, faults.closeFailsAt);
}

bool MemoryFileSystem::MakeFolder(const char* path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (Fault(makeFolders_, faults.makeFolderFailsAt)) return false;
  return AddFolder(path);
}

bool MemoryFileSystem::List(int folder, NameVisitor visit, void* context) {
  bool fails = Fault(listings_, faults.listingFailsAt);
  std::uint32_t visited = 0;
  // A copy: the visitor may not change the folder, but a list it is handed
  // must not move under it either.
  const std::vector<int> order = nodes_[folder].order;
  for (int node : order) {
    if (nodes_[node].folder) continue;
    if (fails && visited == faults.namesBeforeFailure) return false;
    visit(nodes_[node].name.c_str(), context);
    ++visited;
  }
  return !fails;
}

bool MemoryFileSystem::ListFolder(const char* folder, NameVisitor visit, void* context) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  int node = Find(folder);
  if (node == kNone || !nodes_[node].folder) {
    ++listings_;
    return false;
  }
  return List(node, visit, context);
}

FolderHandle MemoryFileSystem::HoldFolder(const char* path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (Fault(holds_, faults.holdFailsAt)) return kNoFolder;
  int node = Find(path);
  if (node == kNone || !nodes_[node].folder) return kNoFolder;
  FolderHandle folder = nextHandle_++;
  held_[folder] = node;
  return folder;
}

bool MemoryFileSystem::ListHeldFolder(FolderHandle folder, NameVisitor visit, void* context) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = held_.find(folder);
  if (it == held_.end()) {
    ++listings_;
    return false;
  }
  return List(it->second, visit, context);
}

bool MemoryFileSystem::ReleaseFolder(FolderHandle folder) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return held_.erase(folder) != 0;
}

}  // namespace marlix::platform
