#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "tests/resources/ModuleResource.h"
#include "tests/resources/ResourceInventory.h"

namespace {

using ResourceInventory::OrdinalName;

const WORD kNeutralLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

std::wstring TypeName(const wchar_t* type) {
  return OrdinalName(reinterpret_cast<ULONG_PTR>(type));
}

// Menu 1, its keys 1, dialogs 1 to 3 and icon group 128 with its two images, and
// nothing else: no string table or version resource.
TEST(ResourceInventory, HoldsExactlyTheProgramsResources) {
  EXPECT_EQ(ResourceInventory::Types(),
            (std::set<std::wstring>{TypeName(RT_MENU), TypeName(RT_DIALOG), TypeName(RT_ICON),
                                    TypeName(RT_GROUP_ICON), TypeName(RT_ACCELERATOR)}));
  EXPECT_EQ(ResourceInventory::Names(RT_MENU), std::set<std::wstring>{OrdinalName(1)});
  EXPECT_EQ(ResourceInventory::Names(RT_ACCELERATOR), std::set<std::wstring>{OrdinalName(1)});
  EXPECT_EQ(ResourceInventory::Names(RT_DIALOG),
            (std::set<std::wstring>{OrdinalName(1), OrdinalName(2), OrdinalName(3)}));
  EXPECT_EQ(ResourceInventory::Names(RT_GROUP_ICON), std::set<std::wstring>{OrdinalName(128)});
  EXPECT_EQ(ResourceInventory::Names(RT_ICON),
            (std::set<std::wstring>{OrdinalName(1), OrdinalName(2)}));
}

// The German interface must be found whatever the user's language: every
// resource exists once, in the neutral language, with no US English copy.
TEST(ResourceInventory, EveryResourceIsLanguageNeutralOnly) {
  const struct {
    const wchar_t* type;
    WORD id;
  } resources[] = {
      {RT_MENU, 1},         {RT_ACCELERATOR, 1}, {RT_DIALOG, 1}, {RT_DIALOG, 2},
      {RT_GROUP_ICON, 128}, {RT_ICON, 1},        {RT_ICON, 2},
  };
  for (const auto& resource : resources) {
    SCOPED_TRACE("type " + std::to_string(reinterpret_cast<ULONG_PTR>(resource.type)) + " id " +
                 std::to_string(resource.id));
    EXPECT_EQ(ResourceInventory::Languages(resource.type, resource.id),
              std::set<WORD>{kNeutralLanguage});
    EXPECT_TRUE(ModuleResource(resource.type, resource.id).Found());
  }
}

}  // namespace
