#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "support/platform/thread.h"

namespace marlix::platform {

struct ThreadEntry {
  static DWORD WINAPI Run(LPVOID thread) {
    static_cast<Thread*>(thread)->RunBody();
    return 0;
  }
};

bool Thread::Start(Body body, void* context) {
  if (started_) return false;
  body_ = body;
  context_ = context;
  HANDLE thread = ::CreateThread(nullptr, 0, ThreadEntry::Run, this, 0, nullptr);
  if (thread == nullptr) return false;
  handle_ = reinterpret_cast<std::uintptr_t>(thread);
  started_ = true;
  return true;
}

void Thread::Join() {
  if (!started_) return;
  HANDLE thread = reinterpret_cast<HANDLE>(handle_);
  ::WaitForSingleObject(thread, INFINITE);
  ::CloseHandle(thread);
  started_ = false;
}

}  // namespace marlix::platform
