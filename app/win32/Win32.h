#pragma once
// <windows.h> for this front end. The project's file system names calls after the operations,
// and windows.h turns some of those names into macros: they are dropped here, so the project's
// headers read the same before or after this one.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// The other headers need windows.h first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#undef CreateDirectory
#undef DeleteFile
#undef ReplaceFile
#undef GetMessage
