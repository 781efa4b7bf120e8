// The text form of component descriptions: values of every kind, the printer's round trip, and
// faults reported with their line (never a crash, also for every truncation and random damage).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "classlib/FormParser.h"

namespace {

bool SameValue(const TFormValue& A, const TFormValue& B);

bool SameProps(const std::vector<TFormProperty>& A, const std::vector<TFormProperty>& B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I)
    if (A[I].Name != B[I].Name || !SameValue(A[I].Value, B[I].Value)) return false;
  return true;
}

bool SameValue(const TFormValue& A, const TFormValue& B) {
  if (A.Kind != B.Kind || A.Integer != B.Integer || A.Float != B.Float || A.Text != B.Text ||
      A.Elements != B.Elements || A.Items.size() != B.Items.size() ||
      A.Collection.size() != B.Collection.size())
    return false;
  for (size_t I = 0; I < A.Items.size(); ++I)
    if (!SameValue(A.Items[I], B.Items[I])) return false;
  for (size_t I = 0; I < A.Collection.size(); ++I)
    if (!SameProps(A.Collection[I].Properties, B.Collection[I].Properties)) return false;
  return true;
}

bool SameObject(const TFormObject& A, const TFormObject& B) {
  if (A.Inherited != B.Inherited || A.Name != B.Name || A.ClassName != B.ClassName ||
      !SameProps(A.Properties, B.Properties) || A.Children.size() != B.Children.size())
    return false;
  for (size_t I = 0; I < A.Children.size(); ++I)
    if (!SameObject(A.Children[I], B.Children[I])) return false;
  return true;
}

const char* const Sample =
    "object NxModule1: TNxModule1\r\n"
    "  Left = -10\r\n"
    "  Mask = $FF\r\n"
    "  Ratio = 1.5E2\r\n"
    "  Caption = 'It''s'#13#10'x'#$41 +\r\n"
    "    ' more'\r\n"
    "  Font.Name = 'Tahoma'\r\n"
    "  Anchors = [akLeft, akTop]\r\n"
    "  Empty = []\r\n"
    "  Color = clBtnFace\r\n"
    "  ImageList = Other.NxIconList1\r\n"
    "  Sheets.Strings = (\r\n"
    "    'a'\r\n"
    "    'b=c')\r\n"
    "  Nested = ((1 2) ())\r\n"
    "  Pages = <\r\n"
    "    item\r\n"
    "      Name = 'x'\r\n"
    "    end\r\n"
    "    item\r\n"
    "    end>\r\n"
    "  Icons = {\r\n"
    "    0A0b ff}\r\n"
    "  object Child1: TEdit\r\n"
    "    Text = ''\r\n"
    "  end\r\n"
    "  inherited TPanel\r\n"
    "  end\r\n"
    "end\r\n";

TEST(FormParser, ValuesOfEveryKind) {
  TFormObject Root = ParseFormText(Sample);
  EXPECT_EQ(Root.Name, "NxModule1");
  EXPECT_EQ(Root.ClassName, "TNxModule1");
  ASSERT_EQ(Root.Properties.size(), 13u);
  auto Prop = [&](size_t I) -> const TFormValue& { return Root.Properties[I].Value; };
  EXPECT_EQ(Prop(0).Integer, -10);
  EXPECT_EQ(Prop(1).Integer, 255);
  EXPECT_EQ(Prop(2).Kind, fvFloat);
  EXPECT_EQ(Prop(2).Float, 150.0);
  EXPECT_EQ(Prop(3).Text, "It's\r\nxA more");
  EXPECT_EQ(Root.Properties[4].Name, "Font.Name");
  EXPECT_EQ(Prop(5).Elements, (std::vector<std::string>{"akLeft", "akTop"}));
  EXPECT_TRUE(Prop(6).Elements.empty());
  EXPECT_EQ(Prop(7).Kind, fvIdent);
  EXPECT_EQ(Prop(8).Text, "Other.NxIconList1");
  ASSERT_EQ(Prop(9).Items.size(), 2u);
  EXPECT_EQ(Prop(9).Items[1].Text, "b=c");
  ASSERT_EQ(Prop(10).Items.size(), 2u);
  EXPECT_EQ(Prop(10).Items[0].Items[1].Integer, 2);
  ASSERT_EQ(Prop(11).Collection.size(), 2u);
  EXPECT_EQ(Prop(11).Collection[0].Properties[0].Value.Text, "x");
  EXPECT_TRUE(Prop(11).Collection[1].Properties.empty());
  EXPECT_EQ(Prop(12).Text, std::string("\x0A\x0B\xFF", 3));
  EXPECT_EQ(Root.Properties[12].Line, 22);
  ASSERT_EQ(Root.Children.size(), 2u);
  EXPECT_EQ(Root.Children[0].Line, 24);
  EXPECT_TRUE(Root.Children[1].Inherited);
  EXPECT_EQ(Root.Children[1].Name, "");
  EXPECT_EQ(Root.Children[1].ClassName, "TPanel");
}

TEST(FormParser, PrinterRoundTrip) {
  TFormObject Root = ParseFormText(Sample);
  // Long strings are broken into joined lines; odd characters become codes.
  TFormProperty Long{"Long", TFormValue::OfString(std::string(150, 'q') + "\x01\xE9'"), 0};
  Root.Properties.push_back(Long);
  Root.Properties.push_back({"Big", TFormValue::OfBinary(std::string(100, '\x5A')), 0});
  Root.Properties.push_back({"Whole", TFormValue::OfFloat(3.0), 0});
  Root.Properties.push_back({"Min", TFormValue::OfInteger(INT64_MIN), 0});
  std::string Text = FormObjectToText(Root);
  TFormObject Again = ParseFormText(Text);
  EXPECT_TRUE(SameObject(Root, Again)) << Text;
  EXPECT_EQ(FormObjectToText(Again), Text);
  for (size_t Start = 0, End; (End = Text.find("\r\n", Start)) != std::string::npos; Start = End + 2)
    EXPECT_LE(End - Start, 100u) << "line too long";
  EXPECT_NE(Text.find("#1#233''''"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Whole = 3.0"), std::string::npos);
}

struct TBadCase {
  const char* Text;
  int Line;
  const char* Message;
};

TEST(FormParser, FaultsNameTheirLine) {
  const TBadCase Cases[] = {
      {"", 1, "'object' expected"},
      {"object A: TA\n  S = 'abc\nend", 2, "Unterminated string"},
      {"object A: TA\n  S = 'abc", 2, "Unterminated string"},
      {"object A: TA\n\n  S = [a b]\nend", 3, "',' or ']' expected"},
      {"object A: TA\n  S = [a,]\nend", 2, "Set element expected"},
      {"object A: TA\n  S = [1]\nend", 2, "Set element expected"},
      {"object A: TA\n  S = [a\n", 3, "Unterminated set"},
      {"object A: TA\n  X = 1\n", 3, "'end' expected"},
      {"object A: TA\n  object B: TB\n  end\n", 4, "'end' expected"},
      {"object A: TA\n  B = {0A0}\nend", 2, "Odd number of hexadecimal digits"},
      {"object A: TA\n  B = {0G}\nend", 2, "Invalid character in binary value"},
      {"object A: TA\n  B = {0A\n", 3, "Unterminated binary value"},
      {"object A: TA\n  X = #300\nend", 2, "Invalid character code"},
      {"object A: TA\n  X = #\nend", 2, "Invalid character code"},
      {"object A: TA\n  X = 'a' +\n  1\nend", 3, "String expected after '+'"},
      {"object A: TA\n  X = 99999999999999999999\nend", 2, "Integer out of range"},
      {"object A: TA\n  X = -$8000000000000000\nend", 2, "Integer out of range"},
      {"object A: TA\n  X = 12ab\nend", 2, "Invalid number"},
      {"object A: TA\n  X = 1e999\nend", 2, "Invalid floating-point number"},
      {"object A: TA\n  X = (1 2\n", 3, "Unterminated list"},
      {"object A: TA\n  X = <item A = 1 end\n", 3, "Unterminated collection"},
      {"object A: TA\n  X = <thing>\nend", 2, "'item' expected"},
      {"object A: TA\n  X = <item A = 1>\nend", 2, "Property name or 'end' expected"},
      {"object A: TA\n  X 1\nend", 2, "'=' expected"},
      {"object A: TA\n  X = ;\nend", 2, "Invalid property value"},
      {"object A: TA\n  = 1\nend", 2, "Property name or 'end' expected"},
      {"object A: 1\nend", 1, "Class name expected"},
      {"object A: TA\nend\nend", 3, "Text after the final 'end'"},
      {"inline A: TA\nend", 1, "Inline components are not supported"},
      {"TPF0\x07TForm1", 1, "Binary form descriptions are not supported"},
      {"object A: TA\r  X = 1\r  Y = \x01\rend", 3, "Invalid property value"},
  };
  for (const auto& C : Cases) {
    try {
      ParseFormText(C.Text);
      ADD_FAILURE() << "accepted: " << C.Text;
    } catch (const EParserError& E) {
      EXPECT_EQ(E.LineNumber(), C.Line) << C.Text << " -> " << E.Message();
      EXPECT_NE(E.Message().find(C.Message), std::string::npos) << E.Message();
      EXPECT_NE(E.Message().find("on line " + std::to_string(C.Line)), std::string::npos);
    }
  }
}

TEST(FormParser, DeepNestingIsRefused) {
  std::string Lists = "object A: TA\n  X = " + std::string(5000, '(') + "\nend";
  EXPECT_THROW(ParseFormText(Lists), EParserError);
  std::string Objects;
  for (int I = 0; I < 5000; ++I) Objects += "object A: TA\n";
  EXPECT_THROW(ParseFormText(Objects), EParserError);
  std::string Fine = "object A: TA\n  X = " + std::string(50, '(') + std::string(50, ')') + "\nend";
  EXPECT_NO_THROW(ParseFormText(Fine));
}

TEST(FormParser, TrailingZeroBytesOfResourcesAreIgnored) {
  std::string Text = std::string("object A: TA\nend\n") + std::string(3, '\0');
  EXPECT_EQ(ParseFormText(Text).ClassName, "TA");
  EXPECT_THROW(ParseFormText(std::string("object A: TA\n\0end", 17)), EParserError);
}

// Every truncation and random damage of a valid text gives a result or EParserError.
TEST(FormParser, DamagedTextNeverEscapes) {
  const std::string Text = Sample;
  auto Survives = [](const std::string& T) {
    try {
      ParseFormText(T);
    } catch (const EParserError&) {
    }
  };
  for (size_t Len = 0; Len < Text.size(); ++Len) Survives(Text.substr(0, Len));
  std::mt19937 Rng(4711);
  const std::string Alphabet = "'#$+-=()[]<>{}:,.; \r\n0aZ_\x01\xff";
  for (int Round = 0; Round < 3000; ++Round) {
    std::string T = Text;
    for (int K = 0; K < 3; ++K)
      T[Rng() % T.size()] = Alphabet[Rng() % Alphabet.size()];
    Survives(T);
  }
}

}  // namespace
