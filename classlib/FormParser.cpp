#include "classlib/FormParser.h"

#include <charconv>
#include <cmath>
#include <limits>

EParserError::EParserError(const std::string& Msg, int Line)
    : EReadError(Msg + " on line " + std::to_string(Line)), FLine(Line) {}

TFormValue TFormValue::OfKind(TFormValueKind Kind) {
  TFormValue V;
  V.Kind = Kind;
  return V;
}
TFormValue TFormValue::OfInteger(int64_t Value) {
  TFormValue V = OfKind(fvInteger);
  V.Integer = Value;
  return V;
}
TFormValue TFormValue::OfFloat(double Value) {
  TFormValue V = OfKind(fvFloat);
  V.Float = Value;
  return V;
}
TFormValue TFormValue::OfString(std::string Value) {
  TFormValue V = OfKind(fvString);
  V.Text = std::move(Value);
  return V;
}
TFormValue TFormValue::OfIdent(std::string Value) {
  TFormValue V = OfKind(fvIdent);
  V.Text = std::move(Value);
  return V;
}
TFormValue TFormValue::OfSet(std::vector<std::string> Elements) {
  TFormValue V = OfKind(fvSet);
  V.Elements = std::move(Elements);
  return V;
}
TFormValue TFormValue::OfBinary(std::string Bytes) {
  TFormValue V = OfKind(fvBinary);
  V.Text = std::move(Bytes);
  return V;
}

namespace {

bool IsIdentStart(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_'; }
bool IsDigit(char C) { return C >= '0' && C <= '9'; }
bool IsIdentChar(char C) { return IsIdentStart(C) || IsDigit(C); }
int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}
bool SameWord(const std::string& A, const char* B) {
  size_t I = 0;
  for (; I < A.size() && B[I]; ++I) {
    char X = A[I], Y = B[I];
    if (X >= 'A' && X <= 'Z') X = static_cast<char>(X + 32);
    if (Y >= 'A' && Y <= 'Z') Y = static_cast<char>(Y + 32);
    if (X != Y) return false;
  }
  return I == A.size() && !B[I];
}

class TFormParser {
public:
  explicit TFormParser(const std::string& Text) : FText(Text), FEnd(Text.size()) {
    // Resource data may be padded with zero bytes.
    while (FEnd > 0 && FText[FEnd - 1] == '\0') --FEnd;
    if (FEnd >= 3 && FText.compare(0, 3, "\xEF\xBB\xBF") == 0) FPos = 3;
  }

  TFormObject ParseRoot() {
    if (FEnd - FPos >= 4 && FText.compare(FPos, 4, "TPF0") == 0)
      Error("Binary form descriptions are not supported");
    TFormObject Root = ParseObject(0);
    SkipBlanks();
    if (!AtEnd()) Error("Text after the final 'end'");
    return Root;
  }

private:
  [[noreturn]] void Error(const std::string& Msg) const { throw EParserError(Msg, FLine); }

  bool AtEnd() const { return FPos >= FEnd; }
  char Cur() const { return FPos < FEnd ? FText[FPos] : '\0'; }
  char At(size_t Offset) const { return FPos + Offset < FEnd ? FText[FPos + Offset] : '\0'; }

  void SkipBlanks() {
    while (FPos < FEnd) {
      char C = FText[FPos];
      if (C == '\n') {
        ++FLine;
      } else if (C == '\r') {
        if (At(1) != '\n') ++FLine;
      } else if (C != ' ' && C != '\t') {
        return;
      }
      ++FPos;
    }
  }

  // An identifier at the position (nothing consumed when there is none).
  std::string PeekIdent() const {
    size_t P = FPos;
    if (P >= FEnd || !IsIdentStart(FText[P])) return {};
    while (P < FEnd && IsIdentChar(FText[P])) ++P;
    return FText.substr(FPos, P - FPos);
  }

  std::string ReadIdent(bool AllowDots, const char* Expected) {
    if (!IsIdentStart(Cur())) Error(Expected);
    size_t Start = FPos;
    for (;;) {
      while (FPos < FEnd && IsIdentChar(FText[FPos])) ++FPos;
      if (!AllowDots || Cur() != '.' || !IsIdentStart(At(1))) break;
      ++FPos;
    }
    return FText.substr(Start, FPos - Start);
  }

  void Expect(char C, const char* Msg) {
    SkipBlanks();
    if (Cur() != C || AtEnd()) Error(Msg);
    ++FPos;
  }

  void CheckDepth(int Depth) const {
    if (Depth > MaxFormNesting) Error("Nesting too deep");
  }

  TFormObject ParseObject(int Depth) {
    CheckDepth(Depth);
    SkipBlanks();
    TFormObject Obj;
    Obj.Line = FLine;
    std::string Word = PeekIdent();
    if (SameWord(Word, "inherited")) Obj.Inherited = true;
    else if (SameWord(Word, "inline")) Error("Inline components are not supported");
    else if (!SameWord(Word, "object")) Error("'object' expected");
    FPos += Word.size();
    SkipBlanks();
    std::string First = ReadIdent(false, "Component name or class name expected");
    SkipBlanks();
    if (Cur() == ':') {
      ++FPos;
      SkipBlanks();
      Obj.Name = First;
      Obj.ClassName = ReadIdent(false, "Class name expected");
    } else {
      Obj.ClassName = First;
    }
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Error("'end' expected for " + (Obj.Name.empty() ? Obj.ClassName : Obj.Name));
      Word = PeekIdent();
      if (Word.empty()) Error("Property name or 'end' expected");
      if (SameWord(Word, "end")) {
        FPos += Word.size();
        return Obj;
      }
      if (SameWord(Word, "object") || SameWord(Word, "inherited") || SameWord(Word, "inline")) {
        Obj.Children.push_back(ParseObject(Depth + 1));
        continue;
      }
      Obj.Properties.push_back(ParseProperty(Depth));
    }
  }

  TFormProperty ParseProperty(int Depth) {
    TFormProperty Prop;
    Prop.Line = FLine;
    Prop.Name = ReadIdent(true, "Property name expected");
    Expect('=', "'=' expected");
    Prop.Value = ParseValue(Depth + 1);
    return Prop;
  }

  TFormValue ParseValue(int Depth) {
    CheckDepth(Depth);
    SkipBlanks();
    if (AtEnd()) Error("Property value expected");
    int Line = FLine;
    TFormValue V;
    char C = Cur();
    if (C == '\'' || C == '#') V = ParseString();
    else if (C == '-' || C == '$' || IsDigit(C)) V = ParseNumber();
    else if (C == '[') V = ParseSet();
    else if (C == '(') V = ParseList(Depth);
    else if (C == '<') V = ParseCollection(Depth);
    else if (C == '{') V = ParseBinary();
    else if (IsIdentStart(C)) V = TFormValue::OfIdent(ReadIdent(true, "Identifier expected"));
    else Error("Invalid property value");
    V.Line = Line;
    return V;
  }

  void ParseStringPart(std::string& S) {
    while (Cur() == '\'' || Cur() == '#') {
      if (AtEnd()) break;
      if (Cur() == '\'') {
        ++FPos;
        for (;;) {
          if (AtEnd() || Cur() == '\r' || Cur() == '\n') Error("Unterminated string");
          char Ch = FText[FPos++];
          if (Ch != '\'') {
            S += Ch;
          } else if (Cur() == '\'' && !AtEnd()) {
            S += '\'';
            ++FPos;
          } else {
            break;
          }
        }
      } else {
        ++FPos;
        unsigned Code = 0;
        int Digits = 0;
        if (Cur() == '$' && !AtEnd()) {
          ++FPos;
          for (int H; (H = HexValue(Cur())) >= 0 && !AtEnd(); ++FPos, ++Digits)
            Code = Code > 0xFFFF ? Code : Code * 16 + static_cast<unsigned>(H);
        } else {
          for (; IsDigit(Cur()) && !AtEnd(); ++FPos, ++Digits)
            Code = Code > 0xFFFF ? Code : Code * 10 + static_cast<unsigned>(Cur() - '0');
        }
        if (Digits == 0 || Code > 255) Error("Invalid character code");
        S += static_cast<char>(Code);
      }
    }
  }

  TFormValue ParseString() {
    std::string S;
    for (;;) {
      ParseStringPart(S);
      SkipBlanks();
      if (Cur() != '+' || AtEnd()) break;
      ++FPos;
      SkipBlanks();
      if (Cur() != '\'' && Cur() != '#') Error("String expected after '+'");
    }
    return TFormValue::OfString(std::move(S));
  }

  TFormValue ParseNumber() {
    size_t Start = FPos;
    bool Negative = Cur() == '-';
    if (Negative) ++FPos;
    uint64_t Magnitude = 0;
    const uint64_t Limit = Negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    if (Cur() == '$' && !AtEnd()) {
      ++FPos;
      int Digits = 0;
      for (int H; (H = HexValue(Cur())) >= 0 && !AtEnd(); ++FPos, ++Digits) {
        if (Digits == 16) Error("Integer out of range");
        Magnitude = Magnitude * 16 + static_cast<uint64_t>(H);
      }
      if (Digits == 0) Error("Invalid number");
      if (IsIdentChar(Cur()) && !AtEnd()) Error("Invalid number");
      // Hexadecimal gives the bit pattern: $FFFFFFFFFFFFFFFF is -1. Only the negation can
      // overflow: -$8000000000000000 has no 64-bit value.
      int64_t Value = static_cast<int64_t>(Magnitude);
      if (Negative && __builtin_sub_overflow(int64_t{0}, Value, &Value)) Error("Integer out of range");
      return TFormValue::OfInteger(Value);
    }
    if (!IsDigit(Cur()) || AtEnd()) Error("Invalid number");
    bool Overflow = false;
    while (IsDigit(Cur()) && !AtEnd()) {
      uint64_t D = static_cast<uint64_t>(Cur() - '0');
      if (Magnitude > (Limit - D) / 10) Overflow = true;
      else Magnitude = Magnitude * 10 + D;
      ++FPos;
    }
    bool IsFloat = false;
    if (Cur() == '.' && IsDigit(At(1))) {
      IsFloat = true;
      ++FPos;
      while (IsDigit(Cur()) && !AtEnd()) ++FPos;
    }
    if ((Cur() == 'e' || Cur() == 'E') && !AtEnd()) {
      size_t P = 1;
      if (At(P) == '+' || At(P) == '-') ++P;
      if (IsDigit(At(P))) {
        IsFloat = true;
        FPos += P;
        while (IsDigit(Cur()) && !AtEnd()) ++FPos;
      }
    }
    if ((IsIdentChar(Cur()) || Cur() == '.') && !AtEnd()) Error("Invalid number");
    if (IsFloat) {
      double Value = 0;
      auto R = std::from_chars(FText.data() + Start, FText.data() + FPos, Value);
      if (R.ec != std::errc() || !std::isfinite(Value)) Error("Invalid floating-point number");
      return TFormValue::OfFloat(Value);
    }
    if (Overflow) Error("Integer out of range");
    int64_t Value = Negative ? static_cast<int64_t>(0 - Magnitude) : static_cast<int64_t>(Magnitude);
    return TFormValue::OfInteger(Value);
  }

  TFormValue ParseSet() {
    ++FPos;
    std::vector<std::string> Elements;
    SkipBlanks();
    if (Cur() == ']' && !AtEnd()) {
      ++FPos;
      return TFormValue::OfSet(std::move(Elements));
    }
    for (;;) {
      SkipBlanks();
      Elements.push_back(ReadIdent(false, "Set element expected"));
      SkipBlanks();
      if (AtEnd()) Error("Unterminated set: ']' expected");
      if (Cur() == ']') {
        ++FPos;
        return TFormValue::OfSet(std::move(Elements));
      }
      if (Cur() != ',') Error("',' or ']' expected in set");
      ++FPos;
    }
  }

  TFormValue ParseList(int Depth) {
    ++FPos;
    TFormValue V = TFormValue::OfKind(fvList);
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Error("Unterminated list: ')' expected");
      if (Cur() == ')') {
        ++FPos;
        return V;
      }
      V.Items.push_back(ParseValue(Depth + 1));
    }
  }

  TFormValue ParseCollection(int Depth) {
    ++FPos;
    TFormValue V = TFormValue::OfKind(fvCollection);
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Error("Unterminated collection: '>' expected");
      if (Cur() == '>') {
        ++FPos;
        return V;
      }
      std::string Word = PeekIdent();
      if (!SameWord(Word, "item")) Error("'item' expected");
      FPos += Word.size();
      TFormItem Item;
      Item.Line = FLine;
      for (;;) {
        SkipBlanks();
        if (AtEnd()) Error("'end' expected for collection item");
        Word = PeekIdent();
        if (SameWord(Word, "end")) {
          FPos += Word.size();
          break;
        }
        if (Word.empty()) Error("Property name or 'end' expected");
        Item.Properties.push_back(ParseProperty(Depth));
      }
      V.Collection.push_back(std::move(Item));
    }
  }

  TFormValue ParseBinary() {
    ++FPos;
    std::string Bytes;
    int High = -1;
    for (;;) {
      if (AtEnd()) Error("Unterminated binary value: '}' expected");
      char C = FText[FPos];
      if (C == '}') {
        ++FPos;
        break;
      }
      if (C == ' ' || C == '\t' || C == '\r' || C == '\n') {
        SkipBlanks();
        continue;
      }
      int H = HexValue(C);
      if (H < 0) Error("Invalid character in binary value");
      if (High < 0) {
        High = H;
      } else {
        Bytes += static_cast<char>(High * 16 + H);
        High = -1;
      }
      ++FPos;
    }
    if (High >= 0) Error("Odd number of hexadecimal digits in binary value");
    return TFormValue::OfBinary(std::move(Bytes));
  }

  const std::string& FText;
  size_t FEnd;
  size_t FPos = 0;
  int FLine = 1;
};

// ---- Printing -----------------------------------------------------------------------------------

constexpr const char* CRLF = "\r\n";
constexpr size_t MaxStringLine = 64;
constexpr size_t BinaryBytesPerLine = 32;

std::string Pad(int Indent) { return std::string(static_cast<size_t>(Indent), ' '); }

std::string QuoteString(const std::string& S, int Indent) {
  if (S.empty()) return "''";
  std::string Out;
  size_t LineStart = 0;
  bool InQuote = false;
  for (size_t I = 0; I < S.size(); ++I) {
    if (Out.size() - LineStart >= MaxStringLine) {
      if (InQuote) Out += '\'';
      InQuote = false;
      Out += " +";
      Out += CRLF;
      Out += Pad(Indent + 2);
      LineStart = Out.size();
    }
    unsigned char C = static_cast<unsigned char>(S[I]);
    if (C >= 0x20 && C < 0x7F) {
      if (!InQuote) Out += '\'';
      InQuote = true;
      Out += static_cast<char>(C);
      if (C == '\'') Out += '\'';
    } else {
      if (InQuote) Out += '\'';
      InQuote = false;
      Out += '#';
      Out += std::to_string(C);
    }
  }
  if (InQuote) Out += '\'';
  return Out;
}

std::string FloatToText(double V) {
  if (!std::isfinite(V)) throw EWriteError("Cannot write a floating-point value that is not finite");
  char Buf[64];
  auto R = std::to_chars(Buf, Buf + sizeof Buf, V);
  std::string S(Buf, R.ptr);
  // Keep it a float when read back.
  if (S.find_first_of(".eE") == std::string::npos) S += ".0";
  return S;
}

void PrintProperties(std::string& Out, const std::vector<TFormProperty>& Props, int Indent) {
  for (const auto& P : Props) {
    Out += Pad(Indent) + P.Name + " = " + FormValueToText(P.Value, Indent);
    Out += CRLF;
  }
}

void PrintObject(std::string& Out, const TFormObject& Obj, int Indent) {
  Out += Pad(Indent) + (Obj.Inherited ? "inherited " : "object ");
  Out += Obj.Name.empty() ? Obj.ClassName : Obj.Name + ": " + Obj.ClassName;
  Out += CRLF;
  PrintProperties(Out, Obj.Properties, Indent + 2);
  for (const auto& Child : Obj.Children) PrintObject(Out, Child, Indent + 2);
  Out += Pad(Indent) + "end";
  Out += CRLF;
}

const char HexDigits[] = "0123456789ABCDEF";

}  // namespace

TFormObject ParseFormText(const std::string& Text) { return TFormParser(Text).ParseRoot(); }

std::string FormObjectToText(const TFormObject& Obj) {
  std::string Out;
  PrintObject(Out, Obj, 0);
  return Out;
}

std::string FormValueToText(const TFormValue& V, int Indent) {
  switch (V.Kind) {
    case fvInteger: return std::to_string(V.Integer);
    case fvFloat: return FloatToText(V.Float);
    case fvString: return QuoteString(V.Text, Indent);
    case fvIdent: return V.Text;
    case fvSet: {
      std::string S = "[";
      for (size_t I = 0; I < V.Elements.size(); ++I) S += (I ? ", " : "") + V.Elements[I];
      return S + "]";
    }
    case fvList: {
      std::string S = "(";
      for (const auto& Item : V.Items) S += CRLF + Pad(Indent + 2) + FormValueToText(Item, Indent + 2);
      return S + ")";
    }
    case fvCollection: {
      std::string S = "<";
      for (const auto& Item : V.Collection) {
        S += CRLF + Pad(Indent + 2) + "item" + CRLF;
        PrintProperties(S, Item.Properties, Indent + 4);
        S += Pad(Indent + 2) + "end";
      }
      return S + ">";
    }
    case fvBinary: {
      std::string S = "{";
      for (size_t I = 0; I < V.Text.size(); ++I) {
        if (I % BinaryBytesPerLine == 0) S += CRLF + Pad(Indent + 2);
        unsigned char B = static_cast<unsigned char>(V.Text[I]);
        S += HexDigits[B >> 4];
        S += HexDigits[B & 15];
      }
      return S + "}";
    }
  }
  return {};
}
