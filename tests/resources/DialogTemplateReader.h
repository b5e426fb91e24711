#ifndef FRELOX_TESTS_RESOURCES_DIALOGTEMPLATEREADER_H
#define FRELOX_TESTS_RESOURCES_DIALOGTEMPLATEREADER_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/resources/DialogTemplate.h"

// Decodes the bytes of a classic (not extended) dialog template. Throws
// std::runtime_error when the bytes end early or hold an extended template,
// so that a broken resource fails a test instead of reading past its end.
class DialogTemplateReader {
 public:
  DialogTemplateReader(const std::uint8_t* data, std::size_t size);

  DialogTemplate Read();

  // True for the bytes of an extended template (DLGTEMPLATEEX).
  static bool IsExtended(const std::uint8_t* data, std::size_t size);

 private:
  DialogItem ReadItem();
  WORD ReadWord();
  DWORD ReadDword();
  short ReadShort() { return static_cast<short>(ReadWord()); }
  std::wstring ReadString();
  std::wstring ReadNameOrOrdinal();
  std::wstring ReadClassName();
  void AlignToDword();
  void Skip(std::size_t bytes);

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

#endif
