#include "app/path_text.h"

#include <cwchar>

bool JoinText(const wchar_t* first, const wchar_t* second, wchar_t* out, size_t capacity) noexcept {
  if (out == nullptr || capacity == 0) return false;
  const size_t firstLength = first ? std::wcslen(first) : 0;
  const size_t secondLength = second ? std::wcslen(second) : 0;
  if (firstLength >= capacity || secondLength >= capacity - firstLength) {
    out[0] = L'\0';
    return false;
  }
  if (firstLength) std::wmemmove(out, first, firstLength);
  if (secondLength) std::wmemmove(out + firstLength, second, secondLength);
  out[firstLength + secondLength] = L'\0';
  return true;
}

bool CopyText(const wchar_t* text, wchar_t* out, size_t capacity) noexcept {
  return JoinText(text, nullptr, out, capacity);
}
