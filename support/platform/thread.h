// One more thread of execution, for work that can overlap the caller's (the
// kernel's work of creating and writing files while the next page is built).
// Start runs body(context) once on a new thread; Join waits for it to return.
// Start fails, and nothing runs, when the platform cannot make a thread: the
// caller then does the work itself.
#pragma once

#include <cstdint>

namespace marlix::platform {

class Thread {
 public:
  using Body = void (*)(void* context);

  Thread() = default;
  ~Thread() { Join(); }
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  bool Start(Body body, void* context);
  // Waits for the body to return; nothing when no thread was started.
  void Join();
  bool Started() const { return started_; }

 private:
  // What the new thread runs; read by it from this object, which the
  // destructor keeps alive until the thread has returned.
  void RunBody() { body_(context_); }
  friend struct ThreadEntry;

  Body body_ = nullptr;
  void* context_ = nullptr;
  std::uintptr_t handle_ = 0;
  bool started_ = false;
};

}  // namespace marlix::platform
