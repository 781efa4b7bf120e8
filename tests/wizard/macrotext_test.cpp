// The template macro engine: the grammar on plain texts, and TCBMacroText's parameters and flags.
#include <gtest/gtest.h>

#include <random>

#include "classlib/TypInfo.h"
#include "wizard/CB_MacroTextCore.h"
#include "wizard/CB_MacroText_NP.h"

namespace {

// Expands with parameters a=A, b=B (others empty) and the flags F and G set.
std::string ExpandAB(const std::string& Text) {
  return macrotext::Expand(
      Text, [](const std::string& Name) { return Name == "a" ? "A" : Name == "b" ? "B" : ""; },
      [](const std::string& Flag) { return Flag == "F" || Flag == "G"; });
}

struct TGrammarCase {
  const char* Text;
  const char* Expanded;
};

TEST(MacroGrammar, ExpandsEachRule) {
  const TGrammarCase Cases[] = {
      {"a~~b||c", "a~b|c"},
      {"x~a~y", "xAy"},
      {"~a~~b~", "AB"},                         // two parameters back to back, not an escape
      {"x~Unknown~y", "xy"},
      {"A\r\n|+F|\r\nB\r\n|-F|\r\nC\r\n", "A\r\nC\r\n"},
      {"A\r\n|+H|\r\nB\r\n|-H|\r\nC\r\n", "A\r\nB\r\nC\r\n"},  // H not set
      {"A|+f|B|-f|C", "ABC"},                   // flags compare case-sensitively
      {"|+F|x|+G|y|-G|z|-F|w", "w"},            // nested blocks
      {"|+F|x|+H|y|-H|z|-F|w", "w"},
      {"a|-F|b|+F|d", "ad"},                    // negative depth until the raising directive
      {"a|-F|b", "a"},
      {"|+|x|*F|y|F|z", "xyz"},                 // short bodies and other signs do nothing
      {"|+F|~a~|-F|", ""},                      // no value at depth > 0
      {"|x|\r\n\r\n\r\nend", "\r\nend"},        // at most two CR LF pairs go
      {"|x|\r\rend", "\r\rend"},                // a lone CR is not swallowed
      {"|x|\n\nend", "\n\nend"},
      {"||\r\nx", "|\r\nx"},                    // escapes swallow nothing
      {"~a~\r\nx", "A\r\nx"},
      {"abc~Name", "abc"},                      // unterminated markup ends the output
      {"abc|+F", "abc"},
      {"abc~", "abc"},
      {"abc|", "abc"},
      {"abc~~", "abc~"},
      {"~a\r\n|b~", ""},                        // a name takes line breaks and bars
  };
  for (const TGrammarCase& Case : Cases) EXPECT_EQ(ExpandAB(Case.Text), Case.Expanded) << Case.Text;
}

TEST(MacroGrammar, ScanListsNamesInOrderWhereverTheyStand) {
  EXPECT_EQ(macrotext::ScanNames("a~~b||c"), std::vector<std::string>{});
  EXPECT_EQ(macrotext::ScanNames("~x~ |+F|~y~|-F| ~x~ ~z"), (std::vector<std::string>{"x", "y", "x"}));
  // A ~ inside a directive body pairs with the next one: the scan reads "|+" and "|" as a name.
  EXPECT_EQ(macrotext::ScanNames("|+~F|~x~"), (std::vector<std::string>{"F|"}));
}

TEST(MacroGrammar, RandomTextsNeverEmitMarkupOfTheirOwn) {
  std::mt19937 Random(13);
  const char Alphabet[] = "ab~|+-F\r\n";
  for (int Round = 0; Round < 2000; ++Round) {
    std::string Text;
    for (int I = Random() % 40; I > 0; --I) Text += Alphabet[Random() % (sizeof Alphabet - 1)];
    const std::string Out = macrotext::Expand(Text, [](const std::string&) { return ""; },
                                              [](const std::string& Flag) { return Flag == "F"; });
    // Every ~ or | of the output comes from an escape of the input.
    size_t Escapes = 0;
    for (size_t I = 0; I + 1 < Text.size(); ++I)
      if ((Text[I] == '~' || Text[I] == '|') && Text[I + 1] == Text[I]) ++Escapes, ++I;
    size_t Marks = 0;
    for (char Ch : Out) Marks += Ch == '~' || Ch == '|';
    EXPECT_LE(Marks, Escapes) << Text;
  }
}

TEST(MacroText, ParametersByNameIgnoringCaseFlagsExactly) {
  TObjectPtr<TCBMacroText> Macro(TCBMacroText::Create());
  Macro->Source()->SetText("unit ~unitname~;\r\n|+Skip|x\r\n|-Skip|~UNITNAME~ ~Unknown~.");
  Macro->ScanParams();
  ASSERT_EQ(Macro->Params()->Count(), 2) << "one parameter per distinct name";
  EXPECT_EQ(Macro->Params()->Items(0)->Name(), "unitname");
  EXPECT_EQ(Macro->Params()->Items(1)->Name(), "Unknown");
  Macro->ParamByName("UnitName")->SetValue("Unit3");
  TStringList Flags;
  Flags.Add("skip");
  Macro->SetFlags(Flags);
  EXPECT_FALSE(Macro->HasFlag("Skip"));
  EXPECT_EQ(Macro->Expand()->Text(), "unit Unit3;\r\nx\r\nUnit3 .\r\n");
  Flags.Clear();
  Flags.Add("Skip");
  Macro->SetFlags(Flags);
  EXPECT_EQ(Macro->Expand(), Macro->Result());
  EXPECT_EQ(Macro->Result()->Text(), "unit Unit3;\r\nUnit3 .\r\n");
  EXPECT_EQ(Macro->Params()->Count(), 2) << "the expansion asked for known names only";
}

TEST(MacroText, ANameIsSetOnlyByParamByNameAndAssignCopiesTheValue) {
  TObjectPtr<TCBMacroText> Macro(TCBMacroText::Create());
  TCBMacroParam* First = Macro->ParamByName("FormName");
  TCBMacroParam* Second = Macro->ParamByName("Other");
  SetStrProp(First, "Name", "Changed");
  EXPECT_EQ(First->Name(), "FormName");
  EXPECT_EQ(First->DisplayName(), "FormName");
  Second->SetValue("NxModule1");
  First->Assign(Second);
  EXPECT_EQ(First->Name(), "FormName");
  EXPECT_EQ(First->Value(), "NxModule1");
  EXPECT_EQ(Macro->ParamByName("formname"), First);
}

}  // namespace
