// An owner of a WinINet handle, closed when it goes out of scope.
#pragma once

#include <windows.h>
#include <wininet.h>

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  ~InternetHandle() {
    if (handle_ != nullptr) InternetCloseHandle(handle_);
  }
  HINTERNET get() const { return handle_; }

 private:
  HINTERNET handle_;
};
