#include <pthread.h>

#include <cstring>

#include "support/platform/thread.h"

namespace marlix::platform {

struct ThreadEntry {
  static void* Run(void* thread) {
    static_cast<Thread*>(thread)->RunBody();
    return nullptr;
  }
};

static_assert(sizeof(pthread_t) <= sizeof(std::uintptr_t), "a thread id fits the handle");

bool Thread::Start(Body body, void* context) {
  if (started_) return false;
  body_ = body;
  context_ = context;
  pthread_t thread;
  if (pthread_create(&thread, nullptr, ThreadEntry::Run, this) != 0) return false;
  handle_ = 0;
  std::memcpy(&handle_, &thread, sizeof thread);
  started_ = true;
  return true;
}

void Thread::Join() {
  if (!started_) return;
  pthread_t thread;
  std::memcpy(&thread, &handle_, sizeof thread);
  pthread_join(thread, nullptr);
  started_ = false;
}

}  // namespace marlix::platform
