#pragma once
#include <windows.h>

void AddTrayIcon(HWND picHook, HICON icon);
void RemoveTrayIcon(HWND picHook);
