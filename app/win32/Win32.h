#pragma once
// <windows.h> for this front end. Include it after the project's headers: the project's file
// system names calls after the operations, and windows.h turns some of those names into macros.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#undef CreateDirectory
#undef DeleteFile
#undef ReplaceFile
#undef GetMessage
