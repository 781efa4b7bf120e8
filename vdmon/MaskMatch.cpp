#include "vdmon/MaskMatch.h"

#include <windows.h>

namespace {
// The DOS wildcards of the file system's name matching.
constexpr wchar_t kDosStar = L'<';  // any characters up to the name's last dot
constexpr wchar_t kDosDot = L'"';   // a dot, or nothing at the end of the name

// '?' stays with the file system: Windows reads it as DOS_QM (none at a dot or at the end of the
// name), Wine as exactly one character.
bool IsPlainMaskChar(char c) {
  if (c < 0x21 || c > 0x7E) return false;
  switch (c) {
    case '?': case '\\': case '/': case ':': case '<': case '>': case '"': case '|':
      return false;
    default:
      return true;
  }
}

wchar_t UpperAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

class ExpressionMatcher {
public:
  ExpressionMatcher(const std::wstring& expr, const std::wstring& name)
      : expr_(expr), name_(name), memo_((expr.size() + 1) * (name.size() + 1), kUnknown) {
    lastDot_ = name_.rfind(L'.');
  }
  bool Run() { return Match(0, 0); }

private:
  static constexpr signed char kUnknown = -1;

  bool Match(size_t e, size_t n) {
    signed char& slot = memo_[e * (name_.size() + 1) + n];
    if (slot == kUnknown) slot = Compute(e, n) ? 1 : 0;
    return slot == 1;
  }

  bool Compute(size_t e, size_t n) {
    const size_t N = name_.size();
    if (e == expr_.size()) return n == N;
    wchar_t c = expr_[e];
    switch (c) {
      case L'*':
        return Match(e + 1, n) || (n < N && Match(e, n + 1));
      case kDosStar:
        return Match(e + 1, n) || (n < N && n != lastDot_ && Match(e, n + 1));
      case kDosDot:
        if (n < N) return name_[n] == L'.' && Match(e + 1, n + 1);
        return Match(e + 1, n);
      default:
        return n < N && name_[n] == c && Match(e + 1, n + 1);
    }
  }

  const std::wstring& expr_;
  const std::wstring& name_;
  std::vector<signed char> memo_;
  size_t lastDot_;
};
}  // namespace

FileMask::FileMask(const std::string& Mask) : text_(Mask) {
  inMemory_ = !Mask.empty() && Mask.back() != '.';
  for (char c : Mask) inMemory_ = inMemory_ && IsPlainMaskChar(c);
  if (!inMemory_) return;

  if (Mask == "*" || Mask == "*.*") {
    matchesAll_ = true;
    return;
  }
  // The file system's reading of a mask: '.' before '*' is DOS_DOT, '*' before '.' is DOS_STAR.
  for (size_t i = 0; i < Mask.size(); ++i) {
    char next = i + 1 < Mask.size() ? Mask[i + 1] : '\0';
    wchar_t c = UpperAscii(static_cast<wchar_t>(Mask[i]));
    if (c == L'.' && next == '*')
      c = kDosDot;
    else if (c == L'*' && next == '.')
      c = kDosStar;
    expression_.push_back(c);
  }
}

bool FileMask::Matches(const std::wstring& Name) const {
  if (!inMemory_ || Name.empty()) return false;
  if (matchesAll_) return true;
  std::wstring upper = Name;
  CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
  return ExpressionMatcher(expression_, upper).Run();
}
