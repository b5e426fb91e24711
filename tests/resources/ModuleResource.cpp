#include "tests/resources/ModuleResource.h"

ModuleResource::ModuleResource(const wchar_t* type, WORD id) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const HRSRC info = FindResourceExW(module, type, MAKEINTRESOURCEW(id),
                                     MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
  if (info == nullptr) return;
  const HGLOBAL loaded = LoadResource(module, info);
  if (loaded == nullptr) return;
  data_ = static_cast<const std::uint8_t*>(LockResource(loaded));
  size_ = data_ != nullptr ? SizeofResource(module, info) : 0;
}
