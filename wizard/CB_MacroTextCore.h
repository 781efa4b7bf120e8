// The template syntax of the macro engine (CB_MacroText_NP), as two pure routines over one text.
// Knows no Windows types and compiles natively (fuzz target: tests/wizard/fuzz).
//
//   ~Name~    the value of parameter Name (at skip depth 0 only)
//   ~~  ||    a literal ~ or |
//   |+Flag|   when Flag is set: skip depth + 1     } a block |+F| ... |-F| is left out exactly
//   |-Flag|   when Flag is set: skip depth - 1     } when F is set; blocks nest
//   |xy|      any other sign, or a body shorter than two characters: no effect
//
// Text goes out only at skip depth 0 (a signed count: a lowering directive outside any block makes
// it negative). A directive swallows up to two CR LF pairs right behind it. An opener whose closing
// character never comes ends the output there, without an error.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace macrotext {

// Value: the parameter's value, asked only at depth 0. HasFlag: whether a flag is set.
std::string Expand(const std::string& Text, const std::function<std::string(const std::string& Name)>& Value,
                   const std::function<bool(const std::string& Flag)>& HasFlag);

// Every parameter name in order of appearance, doubles included; only the ~ rules count (directives
// are not parsed), and the scan stops at an unterminated ~.
std::vector<std::string> ScanNames(const std::string& Text);

}  // namespace macrotext
