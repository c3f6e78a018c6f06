#pragma once

// The fixed identifiers of the plug-in: its two classes and its control
// interface. They are written into hosts' saved projects and registries, so
// they never change.

#include "platform/com/Com.h"

// {D048519C-F761-4B10-BB94-5F1381045587}
constexpr CLSID CLSID_IntonaraPlugIn = {
    0xD048519C, 0xF761, 0x4B10, {0xBB, 0x94, 0x5F, 0x13, 0x81, 0x04, 0x55, 0x87}};

// {4281BAFE-2748-4253-B03E-16C6E0B70D80}
constexpr CLSID CLSID_IntonaraPropertyPage = {
    0x4281BAFE, 0x2748, 0x4253, {0xB0, 0x3E, 0x16, 0xC6, 0xE0, 0xB7, 0x0D, 0x80}};

// {99284DA1-7A57-46E7-AC96-03A284AB9AFB}
constexpr IID IID_IIntonaraControl = {
    0x99284DA1, 0x7A57, 0x46E7, {0xAC, 0x96, 0x03, 0xA2, 0x84, 0xAB, 0x9A, 0xFB}};
