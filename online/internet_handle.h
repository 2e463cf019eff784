// An owner of a WinINet handle, closed when it goes out of scope, and the one
// answer from the content server that counts.
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

// Only a 200 is the content itself. Over https the requests do not follow
// redirects, so a 3xx lands here too and counts as a failure: following one could
// leave https for plain http, where anyone on the way could answer.
inline bool AnsweredOk(HINTERNET request) {
  DWORD status = 0;
  DWORD statusSize = sizeof(status);
  return HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize, nullptr) &&
         status == 200;
}
