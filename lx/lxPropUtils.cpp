#include "lx/lxPropUtils.h"

namespace {

// The published property Name of Component when it is of Kind.
PPropInfo PropOfKind(TObject* Component, const std::string& Name, TTypeKind Kind) noexcept {
  if (!Component) return nullptr;
  try {
    PPropInfo P = GetPropInfo(Component, Name);
    return P && P->Kind() == Kind ? P : nullptr;
  } catch (...) {
    return nullptr;
  }
}

// Runs Set on the property when it exists with Kind and is writable; any error gives false.
template <class F> bool SetGuarded(TObject* Component, const std::string& Name, TTypeKind Kind, F Set) noexcept {
  PPropInfo P = PropOfKind(Component, Name, Kind);
  if (!P || !P->IsWritable()) return false;
  try {
    Set(P);
    return true;
  } catch (...) {
    return false;
  }
}

template <class T, class F>
std::optional<T> GetGuarded(TObject* Component, const std::string& Name, TTypeKind Kind, F Get) noexcept {
  PPropInfo P = PropOfKind(Component, Name, Kind);
  if (!P) return std::nullopt;
  try {
    return Get(P);
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace

bool SetIntPropByName(TObject* Component, const std::string& Name, int32_t Value) noexcept {
  return SetGuarded(Component, Name, tkInteger, [&](PPropInfo P) { SetOrdProp(Component, P, Value); });
}

std::optional<int32_t> GetIntPropByName(TObject* Component, const std::string& Name) noexcept {
  return GetGuarded<int32_t>(Component, Name, tkInteger,
                             [&](PPropInfo P) { return static_cast<int32_t>(GetOrdProp(Component, P)); });
}

bool SetEnumPropByName(TObject* Component, const std::string& Name, uint8_t Value) noexcept {
  return SetGuarded(Component, Name, tkEnumeration, [&](PPropInfo P) { SetOrdProp(Component, P, Value); });
}

bool SetEnumPropByName(TObject* Component, const std::string& Name, const std::string& ValueName) noexcept {
  return SetGuarded(Component, Name, tkEnumeration, [&](PPropInfo P) { SetEnumProp(Component, P, ValueName); });
}

std::optional<std::string> GetEnumPropByName(TObject* Component, const std::string& Name) noexcept {
  return GetGuarded<std::string>(Component, Name, tkEnumeration,
                                 [&](PPropInfo P) { return GetEnumProp(Component, P); });
}

bool SetSetPropByName(TObject* Component, const std::string& Name, const std::string& Elements) noexcept {
  return SetGuarded(Component, Name, tkSet, [&](PPropInfo P) { SetSetProp(Component, P, Elements); });
}

std::optional<std::string> GetSetPropByName(TObject* Component, const std::string& Name) noexcept {
  return GetGuarded<std::string>(Component, Name, tkSet,
                                 [&](PPropInfo P) { return GetSetProp(Component, P, true); });
}

bool SetStrPropByName(TObject* Component, const std::string& Name, const std::string& Value) noexcept {
  return SetGuarded(Component, Name, tkString, [&](PPropInfo P) { SetStrProp(Component, P, Value); });
}

std::optional<std::string> GetStrPropByName(TObject* Component, const std::string& Name) noexcept {
  return GetGuarded<std::string>(Component, Name, tkString,
                                 [&](PPropInfo P) { return GetStrProp(Component, P); });
}

bool SetObjectPropByName(TObject* Component, const std::string& Name, TObject* Value) noexcept {
  return SetGuarded(Component, Name, tkClass, [&](PPropInfo P) { SetObjectProp(Component, P, Value); });
}

std::optional<TObject*> GetObjectPropByName(TObject* Component, const std::string& Name) noexcept {
  return GetGuarded<TObject*>(Component, Name, tkClass,
                              [&](PPropInfo P) { return GetObjectProp(Component, P); });
}

bool SetMethodPropByName(TObject* Component, const std::string& Name, void* Code, void* Data,
                         const void* Signature) noexcept {
  PPropInfo P = PropOfKind(Component, Name, tkMethod);
  // A handler of another signature would be called with the wrong arguments.
  if (!P || (Code && (!Signature || P->PropType->Signature != Signature))) return false;
  return SetGuarded(Component, Name, tkMethod,
                    [&](PPropInfo Prop) { SetMethodProp(Component, Prop, TMethod{Code, Data}); });
}

std::optional<TMethod> GetMethodPropByName(TObject* Component, const std::string& Name,
                                           const void* Signature) noexcept {
  PPropInfo P = PropOfKind(Component, Name, tkMethod);
  if (!P || (Signature && P->PropType->Signature != Signature)) return std::nullopt;
  return GetGuarded<TMethod>(Component, Name, tkMethod,
                             [&](PPropInfo Prop) { return GetMethodProp(Component, Prop); });
}

bool SetDownOrChecked(TObject* Component, bool Value) noexcept {
  if (!Component) return false;
  return SetEnumPropByName(Component, "Down", static_cast<uint8_t>(Value)) ||
         SetEnumPropByName(Component, "Checked", static_cast<uint8_t>(Value));
}
