// COM-side pieces of the class library: the OLE exception classes and the registry key writer
// used when COM classes and shell objects register.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/SysUtils.h"

// ---- GUID text (GuidText.cpp: no Windows calls, so it also builds natively) ---------------------

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal.
std::string GUIDToString(const GUID& Guid);
// Only that 38-character form (either case) converts; nothing is looked up in the registry.
bool TryStringToGUID(const std::string& Text, GUID& Guid);

// ---- Exceptions ----------------------------------------------------------------------------------

VD_DECLARE_EXCEPTION(EOleError, Exception);

// A failed HRESULT. An empty message takes the system's text for the code.
class EOleSysError : public EOleError {
public:
  EOleSysError(const std::string& Msg, HRESULT Code, int HelpContext = 0);
  const char* ClassName() const noexcept override { return "EOleSysError"; }
  HRESULT ErrorCode;
  int HelpContext;
};

// An error reported by a COM server together with its source and help reference.
class EOleException : public EOleSysError {
public:
  EOleException(const std::string& Msg, HRESULT Code, std::string Source, std::string HelpFile,
                int HelpContext);
  const char* ClassName() const noexcept override { return "EOleException"; }
  std::string Source;
  std::string HelpFile;
};

VD_DECLARE_EXCEPTION(EOleRegistrationError, EOleError);

// The text of the registry writer's failure.
inline constexpr const char* SCreateRegKeyError = "Error creating system registry entry";

// Creates RootKey\Key and stores Value as the REG_SZ value ValueName ("" = the default value).
// Raises EOleRegistrationError when the key can't be created or the value can't be written.
void CreateRegKey(const std::string& Key, const std::string& ValueName, const std::string& Value,
                  HKEY RootKey = HKEY_CLASSES_ROOT);
