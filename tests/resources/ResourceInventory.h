#ifndef FRELOX_TESTS_RESOURCES_RESOURCEINVENTORY_H
#define FRELOX_TESTS_RESOURCES_RESOURCEINVENTORY_H

#include <windows.h>

#include <set>
#include <string>

// What resources this test program's module holds, as the resource directory
// lists them. Types and names are given as text: "#14" for the number 14, the
// name itself otherwise.
namespace ResourceInventory {

std::wstring OrdinalName(ULONG_PTR ordinal);

std::set<std::wstring> Types();
std::set<std::wstring> Names(const wchar_t* type);
std::set<WORD> Languages(const wchar_t* type, WORD id);

}  // namespace ResourceInventory

#endif
