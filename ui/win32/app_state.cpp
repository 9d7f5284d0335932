#include "ui/win32/app_state.h"

namespace marlix::ui::win32 {

AppState& App() {
  static AppState state;
  return state;
}

}  // namespace marlix::ui::win32
