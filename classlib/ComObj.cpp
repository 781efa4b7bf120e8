#include "classlib/ComObj.h"

#include "classlib/ScopedHandles.h"

namespace {
std::string OleErrorText(const std::string& Msg, HRESULT Code) {
  if (!Msg.empty()) return Msg;
  std::string text = SysErrorMessage(static_cast<DWORD>(Code));
  return text.empty() ? "OLE error " + IntToHex(static_cast<DWORD>(Code), 8) : text;
}
}  // namespace

EOleSysError::EOleSysError(const std::string& Msg, HRESULT Code, int HelpContext)
    : EOleError(OleErrorText(Msg, Code)), ErrorCode(Code), HelpContext(HelpContext) {}

EOleException::EOleException(const std::string& Msg, HRESULT Code, std::string Source,
                             std::string HelpFile, int HelpContext)
    : EOleSysError(Msg, Code, HelpContext), Source(std::move(Source)), HelpFile(std::move(HelpFile)) {}

void CreateRegKey(const std::string& Key, const std::string& ValueName, const std::string& Value,
                  HKEY RootKey) {
  ScopedRegKey key;
  DWORD disposition = 0;
  if (RegCreateKeyExA(RootKey, Key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                      nullptr, key.receive(), &disposition) != ERROR_SUCCESS)
    throw EOleRegistrationError(SCreateRegKeyError);
  if (RegSetValueExA(key.get(), ValueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(Value.c_str()),
                     static_cast<DWORD>(Value.size() + 1)) != ERROR_SUCCESS)
    throw EOleRegistrationError(SCreateRegKeyError);
}
