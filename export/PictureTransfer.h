#pragma once

#include <windows.h>

#include <string>

class PictureBitmap;

// A picture handed on: to the clipboard, or encoded as PNG by the Windows
// Imaging Component (a part of Windows since Vista). GUI thread only.

// Puts the picture on the clipboard as a device-independent bitmap (24 bits,
// bottom-up), in place of what was there, `owner` its owner. False with the
// system's text in `why` when the clipboard cannot be had or no memory for it.
bool CopyPictureToClipboard(HWND owner, const PictureBitmap& picture, std::wstring& why);

// The bytes of a PNG file of the picture (24-bit colour). False with the
// system's text in `why` when the imaging component fails.
bool EncodePng(const PictureBitmap& picture, std::string& png, std::wstring& why);
