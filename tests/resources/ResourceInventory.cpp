#include "tests/resources/ResourceInventory.h"

namespace ResourceInventory {
namespace {

std::wstring KeyName(const wchar_t* key) {
  return IS_INTRESOURCE(key) ? OrdinalName(reinterpret_cast<ULONG_PTR>(key)) : std::wstring(key);
}

BOOL CALLBACK CollectType(HMODULE, LPWSTR type, LONG_PTR found) {
  reinterpret_cast<std::set<std::wstring>*>(found)->insert(KeyName(type));
  return TRUE;
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  reinterpret_cast<std::set<std::wstring>*>(found)->insert(KeyName(name));
  return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
  reinterpret_cast<std::set<WORD>*>(found)->insert(language);
  return TRUE;
}

}  // namespace

std::wstring OrdinalName(ULONG_PTR ordinal) {
  return L"#" + std::to_wstring(ordinal);
}

std::set<std::wstring> Types() {
  std::set<std::wstring> found;
  EnumResourceTypesW(GetModuleHandleW(nullptr), CollectType, reinterpret_cast<LONG_PTR>(&found));
  return found;
}

std::set<std::wstring> Names(const wchar_t* type) {
  std::set<std::wstring> found;
  EnumResourceNamesW(GetModuleHandleW(nullptr), type, CollectName,
                     reinterpret_cast<LONG_PTR>(&found));
  return found;
}

std::set<WORD> Languages(const wchar_t* type, WORD id) {
  std::set<WORD> found;
  EnumResourceLanguagesW(GetModuleHandleW(nullptr), type, MAKEINTRESOURCEW(id), CollectLanguage,
                         reinterpret_cast<LONG_PTR>(&found));
  return found;
}

}  // namespace ResourceInventory
