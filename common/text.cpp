#include "common/text.h"

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

void AppendText(wchar_t* out, size_t capacity, size_t& length, const wchar_t* text) noexcept {
  while (*text != L'\0' && length + 1 < capacity) out[length++] = *text++;
  out[length] = L'\0';
}

bool IsBlank(wchar_t c) noexcept { return c == L' ' || c == L'\t' || c == L'\x3000'; }

bool IsBlank(const wchar_t* text) noexcept { return *SkipBlanks(text) == L'\0'; }

const wchar_t* SkipBlanks(const wchar_t* text) noexcept {
  while (IsBlank(*text)) ++text;
  return text;
}

bool SameText(const wchar_t* begin, const wchar_t* end, const wchar_t* name) noexcept {
  auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
  for (; begin != end; ++begin, ++name) {
    if (*name == L'\0' || lower(*begin) != lower(*name)) return false;
  }
  return *name == L'\0';
}
