#include "tests/resources/DialogTemplateReader.h"

#include <cstring>
#include <stdexcept>

namespace {

const WORD kOrdinalMarker = 0xFFFF;
const WORD kExtendedVersion = 1;

// The classes a template names by number.
std::wstring PredefinedClassName(WORD atom) {
  switch (atom) {
    case 0x0080:
      return L"Button";
    case 0x0081:
      return L"Edit";
    case 0x0082:
      return L"Static";
    case 0x0083:
      return L"ListBox";
    case 0x0084:
      return L"ScrollBar";
    case 0x0085:
      return L"ComboBox";
    default:
      return L"#" + std::to_wstring(atom);
  }
}

}  // namespace

DialogTemplateReader::DialogTemplateReader(const std::uint8_t* data, std::size_t size)
    : data_(data), size_(size) {}

bool DialogTemplateReader::IsExtended(const std::uint8_t* data, std::size_t size) {
  WORD head[2] = {};
  if (size < sizeof head) return false;
  std::memcpy(head, data, sizeof head);
  return head[0] == kExtendedVersion && head[1] == kOrdinalMarker;
}

DialogTemplate DialogTemplateReader::Read() {
  if (IsExtended(data_, size_)) throw std::runtime_error("extended dialog template");
  offset_ = 0;
  DialogTemplate dialog;
  dialog.style = ReadDword();
  dialog.extendedStyle = ReadDword();
  const WORD itemCount = ReadWord();
  dialog.x = ReadShort();
  dialog.y = ReadShort();
  dialog.width = ReadShort();
  dialog.height = ReadShort();
  dialog.menu = ReadNameOrOrdinal();
  dialog.className = ReadNameOrOrdinal();
  dialog.caption = ReadString();
  if (dialog.style & DS_SETFONT) {
    dialog.fontPointSize = ReadWord();
    dialog.fontFace = ReadString();
  }
  for (WORD i = 0; i < itemCount; ++i) dialog.items.push_back(ReadItem());
  return dialog;
}

DialogItem DialogTemplateReader::ReadItem() {
  AlignToDword();
  DialogItem item;
  item.style = ReadDword();
  item.extendedStyle = ReadDword();
  item.x = ReadShort();
  item.y = ReadShort();
  item.width = ReadShort();
  item.height = ReadShort();
  item.id = ReadWord();
  item.className = ReadClassName();
  item.text = ReadNameOrOrdinal();
  item.creationDataBytes = ReadWord();
  Skip(item.creationDataBytes);
  return item;
}

WORD DialogTemplateReader::ReadWord() {
  WORD value = 0;
  if (size_ - offset_ < sizeof value) throw std::runtime_error("dialog template ends early");
  std::memcpy(&value, data_ + offset_, sizeof value);
  offset_ += sizeof value;
  return value;
}

DWORD DialogTemplateReader::ReadDword() {
  const DWORD low = ReadWord();
  const DWORD high = ReadWord();
  return low | (high << 16);
}

std::wstring DialogTemplateReader::ReadString() {
  std::wstring text;
  for (WORD unit = ReadWord(); unit != 0; unit = ReadWord()) text += static_cast<wchar_t>(unit);
  return text;
}

std::wstring DialogTemplateReader::ReadNameOrOrdinal() {
  const std::size_t start = offset_;
  const WORD first = ReadWord();
  if (first == 0) return std::wstring();
  if (first == kOrdinalMarker) return L"#" + std::to_wstring(ReadWord());
  offset_ = start;
  return ReadString();
}

std::wstring DialogTemplateReader::ReadClassName() {
  const std::size_t start = offset_;
  if (ReadWord() == kOrdinalMarker) return PredefinedClassName(ReadWord());
  offset_ = start;
  return ReadString();
}

void DialogTemplateReader::AlignToDword() {
  Skip(-offset_ % sizeof(DWORD));
}

void DialogTemplateReader::Skip(std::size_t bytes) {
  if (bytes > size_ - offset_) throw std::runtime_error("dialog template ends early");
  offset_ += bytes;
}
