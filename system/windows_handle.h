#ifndef VADRIMEL_SYSTEM_WINDOWS_HANDLE_H_
#define VADRIMEL_SYSTEM_WINDOWS_HANDLE_H_

#include "system/windows_text.h"

namespace vadrimel {

/// A handle that is closed when it goes.
struct OpenHandle {
  HANDLE handle;
  explicit OpenHandle(HANDLE opened) : handle(opened) {}
  OpenHandle(const OpenHandle&) = delete;
  OpenHandle& operator=(const OpenHandle&) = delete;
  ~OpenHandle() {
    if (valid()) {
      CloseHandle(handle);
    }
  }
  [[nodiscard]] bool valid() const { return handle != INVALID_HANDLE_VALUE; }
};

} // namespace vadrimel

#endif // VADRIMEL_SYSTEM_WINDOWS_HANDLE_H_
