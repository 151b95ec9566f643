#pragma once
#include <windows.h>

// The program's icon at the size Windows uses for large (title bar, Alt+Tab) or small (tray,
// caption) icons at the system DPI; Windows' own when the resource is missing.
HICON ProgramIcon(bool small);
