// Dots per inch, 96 being 100 %. The program declares itself aware of the DPI: it is given real
// pixels and sizes what it draws itself (the splash, the icons, the summary's font) by these.
#pragma once
#include <windows.h>

enum { kDefaultDpi = 96 };

// The DPI the system scales its fonts and metrics for in this process.
int SystemDpi();
// The DPI of the monitor a window is shown on where the system has a DPI per monitor (Windows 10
// from 1607); the system's DPI elsewhere.
int WindowDpi(HWND hwnd);
// GetSystemMetrics(nIndex) as it is at nDpi: the system's own answer where it has one (Windows 10
// from 1607), else the system's metric scaled from its DPI.
int SystemMetricForDpi(int nIndex, int nDpi);
