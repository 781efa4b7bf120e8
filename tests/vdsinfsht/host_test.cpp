// The page through the property-sheet host program, in a process of its own: the handler found
// through the registry as the shell finds it, the sheet's tab, the page's windows and the
// library's DllCanUnloadNow once the sheet is closed, as the host reports them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/vdsinfsht/PageHarness.h"
#include "tests/vdsinfsht/VdsTestSupport.h"

namespace {

bool Has(const std::vector<std::string>& Lines, const std::string& Line) {
  for (const std::string& l : Lines)
    if (l == Line) return true;
  return false;
}

// The window lines of one class, without their geometry: "window Edit "text"".
std::vector<std::string> WindowsOfClass(const std::vector<std::string>& Lines, const std::string& ClassName) {
  std::vector<std::string> found;
  const std::string marker = "window " + ClassName + " \"";
  for (const std::string& l : Lines) {
    size_t at = l.find(marker);
    if (at == std::string::npos) continue;
    size_t end = l.rfind('"');
    found.push_back(l.substr(at + marker.size(), end - at - marker.size()));
  }
  return found;
}

TEST(ScriptInfoHost, TheRegisteredHandlerShowsItsPageInTheHostAndLetsTheLibraryGo) {
  AppPathsGuard appPaths;
  ProductFolder product(VDSCMPLR_DLL);
  AppPathsGuard::Set(product.ExePath());
  std::string script =
      product.Script("hello.vds", ScriptLines("Ann Author", "1.2.3", "Says hello", "Hello World", "Prints a greeting"));
  std::string dll = WindowsPathOfUnix(VDSINFSHT_DLL);
  // What the product's installer does: .vds files are of the type vdsfile.
  ScopedRegKey extension;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, ".vds", 0, nullptr, 0, KEY_WRITE, nullptr, extension.receive(), nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(extension.get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>("vdsfile"), 8);
  extension.reset();
  {
    ScriptInfoServer server(dll);
    ASSERT_TRUE(server.Loaded());
    ASSERT_EQ(server.RegisterServer(), S_OK);
  }
  const TProgramRun run = RunProgram("\"" + WindowsPathOfUnix(PROPSHEET_HOST) + "\" \"" + dll + "\" \"" + script +
                                      "\" --via registry --dump --timeout 60");
  {
    ScriptInfoServer server(dll);
    EXPECT_EQ(server.UnregisterServer(), S_OK);
  }
  RegDeleteKeyA(HKEY_CLASSES_ROOT, ".vds");
  SCOPED_TRACE(run.Text());
  EXPECT_EQ(run.ExitCode, 0u);
  const std::vector<std::string>& lines = run.Lines;
  EXPECT_TRUE(Has(lines, std::string("handler ") + kScriptInfoClsidText + " via registry S_OK"));
  EXPECT_TRUE(Has(lines, "tab 0 \"Script Info\"")) << "one tab, without an icon";
  EXPECT_FALSE(Has(lines, "tab 1 \"Script Info\""));
  EXPECT_EQ(WindowsOfClass(lines, "Edit"),
            (std::vector<std::string>{"Ann Author", "1.2.3", "Says hello", "Hello World", "Prints a greeting"}));
  bool groupCaption = false;
  for (const std::string& l : lines) groupCaption |= l.rfind("    window ", 0) == 0 && l.find("\"hello.vds\"") != std::string::npos;
  EXPECT_TRUE(groupCaption) << "the group box is captioned with the file name";
  EXPECT_TRUE(Has(lines, "DllCanUnloadNow S_OK"));
}

}  // namespace
