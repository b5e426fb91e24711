#ifndef FRELOX_TESTS_RESOURCES_MODULERESOURCE_H
#define FRELOX_TESTS_RESOURCES_MODULERESOURCE_H

#include <windows.h>

#include <cstddef>
#include <cstdint>

// The raw bytes of one language-neutral resource of this test program, which
// carries the program's resources linked in.
class ModuleResource {
 public:
  ModuleResource(const wchar_t* type, WORD id);

  bool Found() const { return data_ != nullptr; }
  const std::uint8_t* Data() const { return data_; }
  std::size_t Size() const { return size_; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

#endif
