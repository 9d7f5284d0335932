// A folder held open from the moment a run has made it to the end of the run.
// While it is held, every file that OutputFile creates directly inside its
// path is created relative to the held handle, and ListFiles on its path reads
// the handle: a folder renamed or replaced by a link meanwhile cannot redirect
// the output. Callers keep speaking of JoinPath(folder, name).
#pragma once

#include "support/platform/file_system.h"
#include "support/text_string.h"

namespace marlix {

class HeldFolder {
 public:
  HeldFolder() = default;
  ~HeldFolder() { Release(); }
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;

  // Holds the existing folder at path (a link there is refused). False when it
  // cannot be held; nothing is held then.
  bool Hold(const TextString& path);
  // Makes the new folder name inside the held folder parent (one bare name;
  // nothing may exist there yet) and holds it, reached through parent's
  // handle. Its path is JoinPath(parent's path, name), and files created
  // directly in it go through its own handle. False when it cannot be made
  // or held; nothing is held then (a folder made but not held stays).
  bool HoldNewIn(const HeldFolder& parent, const char* name);
  // Lets the folder go; false when none was held or the platform failed.
  bool Release();
  bool IsHeld() const { return handle_ != platform::kNoFolder; }

  // When path lies inside a held folder (a held folder's path, a separator,
  // then the rest): that folder's handle and the rest of path as the name to
  // create there. Of folders held one inside another, the deepest that path
  // lies in is taken. A rest that is not one bare name is handed on as it is and
  // refused by the platform, never created through the path.
  static bool Inside(const char* path, platform::FolderHandle& folder, const char*& name);
  // The handle of the held folder whose path is folder (a separator at the end
  // of either ignored); kNoFolder when it is not held.
  static platform::FolderHandle Holding(const char* folder);
  // Whether any folder is held now (a run is writing).
  static bool AnyHeld();

 private:
  // Takes over handle, held as path; false (handle released) when the path
  // cannot be copied.
  bool Adopt(platform::FolderHandle handle, const TextString& path);

  TextString path_;
  platform::FolderHandle handle_ = platform::kNoFolder;
  HeldFolder* next_ = nullptr;  // the other folders held at the same time
};

}  // namespace marlix
