#include "windowing/TEvent.h"

TEvent::TEvent() : Handle(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

TEvent::~TEvent() {
  if (Handle) CloseHandle(Handle);
}

void TEvent::Set() {
  if (Handle) SetEvent(Handle);
}

void TEvent::Wait() {
  if (Handle) WaitForSingleObject(Handle, INFINITE);
}
