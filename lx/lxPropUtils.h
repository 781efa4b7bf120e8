// Published properties of any object by name, without knowing its class: a component can wire
// itself to a menu item or a tool button of whatever class publishes the wanted property.
//
// Nothing here raises. A setter returns true when the property was set; false when there is no
// such published property (names are compared without regard to case), it is of another kind or
// read-only, the value is out of its range, the handler's signature differs, or the property's
// own setter raised. A getter returns no value in the same cases.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "classlib/TypInfo.h"

// Integer properties (every integer subrange: Integer, Byte, Word, TColor...).
bool SetIntPropByName(TObject* Component, const std::string& Name, int32_t Value) noexcept;
std::optional<int32_t> GetIntPropByName(TObject* Component, const std::string& Name) noexcept;

// Enumeration properties, Booleans included: by ordinal or by value name ("alClient", "True").
bool SetEnumPropByName(TObject* Component, const std::string& Name, uint8_t Value) noexcept;
bool SetEnumPropByName(TObject* Component, const std::string& Name, const std::string& ValueName) noexcept;
std::optional<std::string> GetEnumPropByName(TObject* Component, const std::string& Name) noexcept;

// Set properties as element names: "[fsBold,fsItalic]" (the brackets are optional when setting).
bool SetSetPropByName(TObject* Component, const std::string& Name, const std::string& Elements) noexcept;
std::optional<std::string> GetSetPropByName(TObject* Component, const std::string& Name) noexcept;

// String properties.
bool SetStrPropByName(TObject* Component, const std::string& Name, const std::string& Value) noexcept;
std::optional<std::string> GetStrPropByName(TObject* Component, const std::string& Name) noexcept;

// Object properties (sub-objects and component references); Value must be of the property's class
// or nil.
bool SetObjectPropByName(TObject* Component, const std::string& Name, TObject* Value) noexcept;
std::optional<TObject*> GetObjectPropByName(TObject* Component, const std::string& Name) noexcept;

// Event properties: the handler {Code, Data} is stored only when Signature is the event's own
// (TEvent<...>::Signature()); a nil Code clears the event whatever the signature.
bool SetMethodPropByName(TObject* Component, const std::string& Name, void* Code, void* Data,
                         const void* Signature) noexcept;
template <class... A>
bool SetMethodPropByName(TObject* Component, const std::string& Name, const TEvent<A...>& Handler) noexcept {
  TMethod M = Handler.Method();
  return SetMethodPropByName(Component, Name, M.Code, M.Data, TEvent<A...>::Signature());
}
// The handler, when the event has Signature (nullptr: any signature).
std::optional<TMethod> GetMethodPropByName(TObject* Component, const std::string& Name,
                                           const void* Signature = nullptr) noexcept;

// Sets "Down" (tool and speed buttons) or, when that fails, "Checked" (menu items). Nothing for
// nil. True when one of them was set.
bool SetDownOrChecked(TObject* Component, bool Value) noexcept;
