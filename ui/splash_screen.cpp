#include "ui/splash_screen.h"

#include "tallyq_version.h"
#include "ui/dialog.h"
#include "ui/dpi.h"

namespace {

const char kSplashClass[] = "LSplashScreen";
const UINT_PTR kCloseTimer = 1;
const UINT kShowMs = 7000;
// Below the picture: the band's margins and its height (five lines of the 16-pixel font). These,
// the picture and the font are pixels at 96 DPI, scaled to the DPI the splash is shown at.
const int kFrameWidth = 4;
const int kBandHeight = 88;
const int kFontHeight = 16;

const char kProductLine[] = "TallyQuill";
const char kVersionLine[] = "TallyQuill v " TQ_VERSION_TEXT;
const char kDistributorBlock[] =
    "Distributed by\n"
    "Kestrilon\n"
    "kestrilon.example/tallyquill\n"
    "Copyright (c) 2026 Kestrilon\n"
    "All rights reserved.";

HFONT MakeBandFont(int nWeight, int nDpi) {
    return CreateFontA(MulDiv(kFontHeight, nDpi, kDefaultDpi), 0, 0, 0, nWeight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, nullptr);
}

}  // namespace

LSplashScreen::~LSplashScreen() { Close(); }

void LSplashScreen::Close() {
    if (hwndSplash != nullptr) DestroyWindow(hwndSplash);
}

void LSplashScreen::Raise() {
    if (hwndSplash != nullptr)
        SetWindowPos(hwndSplash, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void LSplashScreen::Show(HWND hwndParent, int nBitmapId) {
    // Its destruction frees the old bitmap and clears both handles.
    Close();
    WNDCLASSA existing;
    if (!GetClassInfoA(hProgramInstance, kSplashClass, &existing)) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = hProgramInstance;
        windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = kSplashClass;
        RegisterClassA(&windowClass);
    }
    hBitmap = LoadBitmapA(hProgramInstance, MAKEINTRESOURCEA(nBitmapId));
    if (hBitmap == nullptr) return;

    BITMAP bitmap;
    GetObjectA(hBitmap, sizeof(bitmap), &bitmap);
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    // Shown at its parent's DPI: the size it has on a screen of 96 DPI, in the same inches.
    nDpi = WindowDpi(hwndParent);
    int nWidth = Scaled(bitmap.bmWidth + kFrameWidth);
    int nHeight = Scaled(bitmap.bmHeight + kBandHeight);
    // On a screen smaller than the window an edge goes negative; it is not moved back.
    int x = (screen.right - nWidth) >> 1;
    int y = (screen.bottom - nHeight) >> 1;
    // The window is bound to this object at WM_NCCREATE, before its first paint.
    if (CreateWindowExA(0, kSplashClass, "", WS_POPUP | WS_VISIBLE | WS_DLGFRAME, x, y, nWidth, nHeight, hwndParent,
                        nullptr, hProgramInstance, this) == nullptr) {
        hwndSplash = nullptr;
        DeleteObject(hBitmap);
        hBitmap = nullptr;
        return;
    }
    UpdateWindow(hwndSplash);
}

void LSplashScreen::Paint(HDC hdc) {
    if (hBitmap == nullptr) return;
    BITMAP bitmap;
    GetObjectA(hBitmap, sizeof(bitmap), &bitmap);
    HDC hdcMemory = CreateCompatibleDC(hdc);
    HGDIOBJ hOldBitmap = SelectObject(hdcMemory, hBitmap);
    // Stretched with the colours averaged where the system can (Windows NT); elsewhere the mode
    // call fails and the nearest pixels are taken.
    SetStretchBltMode(hdc, HALFTONE);
    SetBrushOrgEx(hdc, 0, 0, nullptr);
    StretchBlt(hdc, 0, 0, Scaled(bitmap.bmWidth), Scaled(bitmap.bmHeight), hdcMemory, 0, 0, bitmap.bmWidth,
               bitmap.bmHeight, SRCCOPY);
    SelectObject(hdcMemory, hOldBitmap);
    DeleteDC(hdcMemory);

    // The product lines stand top-left in the band and the distributor block top-right; the
    // device context's defaults give black on opaque white.
    RECT band = {Scaled(2), Scaled(bitmap.bmHeight + 1), Scaled(bitmap.bmWidth - 4), Scaled(bitmap.bmHeight + 83)};
    RECT lines = band;
    HFONT hBold = MakeBandFont(FW_BOLD, nDpi);
    HGDIOBJ hOldFont = SelectObject(hdc, hBold);
    lines.top += DrawTextA(hdc, kProductLine, -1, &lines, DT_WORDBREAK | DT_NOPREFIX);
    HFONT hNormal = MakeBandFont(FW_NORMAL, nDpi);
    SelectObject(hdc, hNormal);
    DeleteObject(hBold);
    lines.top += DrawTextA(hdc, kVersionLine, -1, &lines, DT_WORDBREAK | DT_NOPREFIX);
    DrawTextA(hdc, kDistributorBlock, -1, &band, DT_WORDBREAK | DT_NOPREFIX | DT_RIGHT);
    SelectObject(hdc, hOldFont);
    DeleteObject(hNormal);
}

LRESULT CALLBACK LSplashScreen::WindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_NCCREATE) {
        LSplashScreen* pCreator = static_cast<LSplashScreen*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreator));
        if (pCreator != nullptr) pCreator->hwndSplash = hwnd;
        return DefWindowProcA(hwnd, uMsg, wParam, lParam);
    }
    LSplashScreen* pSplash = reinterpret_cast<LSplashScreen*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (uMsg) {
    case WM_CREATE:
        SetTimer(hwnd, kCloseTimer, kShowMs, nullptr);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC hdc = BeginPaint(hwnd, &paint);
        if (pSplash != nullptr) pSplash->Paint(hdc);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_TIMER:
    case WM_LBUTTONDOWN:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, kCloseTimer);
        // Only the object's current window lets go of its bitmap.
        if (pSplash != nullptr && pSplash->hwndSplash == hwnd) {
            pSplash->hwndSplash = nullptr;
            if (pSplash->hBitmap != nullptr) {
                DeleteObject(pSplash->hBitmap);
                pSplash->hBitmap = nullptr;
            }
        }
        return 0;
    default:
        return DefWindowProcA(hwnd, uMsg, wParam, lParam);
    }
}
