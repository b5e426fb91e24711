#include "windowing/TThread.h"

#include "windowing/TXWindowing.h"

TThread::CreateThreadFunction TThread::CreateThreadCall = &::CreateThread;

TThread::~TThread() {
  if (Handle) CloseHandle(Handle);
}

void TThread::Start() {
  Handle = CreateThreadCall(nullptr, 0, &TThread::Entry, this, 0, nullptr);
  if (!Handle) throw TXWindowing("Error[thread]: creation failure");
}

void TThread::TerminateAndWait() {
  StopFlag.store(1, std::memory_order_release);
  if (Handle) WaitForSingleObject(Handle, INFINITE);
}

DWORD WINAPI TThread::Entry(void* self) {
  return static_cast<DWORD>(static_cast<TThread*>(self)->Run());
}
