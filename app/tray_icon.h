// The tray icon of one window, and its menu: Open, Close, Exit.
#pragma once
#include <windows.h>

class TrayIcon {
public:
    // The icon's mouse messages reach its window as nCallbackMessage, with the mouse message in lParam.
    explicit TrayIcon(UINT nCallbackMessage);

    // Puts the icon in the tray for hwndOwner; an icon already there (the shell kept it) counts as
    // shown. Returns whether it is shown.
    bool Add(HWND hwndOwner);
    void Delete();
    bool IsShown() const { return bShown; }
    // Whether uMsg is the shell's word that the tray was made anew and its icons are gone.
    bool IsTrayRemade(UINT uMsg) const { return nTaskbarCreatedMessage != 0 && uMsg == nTaskbarCreatedMessage; }
    // Opens the menu at the mouse; the chosen command reaches the window as WM_COMMAND.
    void ShowMenu() const;

private:
    HWND hwndOwner;
    UINT nCallbackMessage;
    UINT nTaskbarCreatedMessage;
    bool bShown;
};
