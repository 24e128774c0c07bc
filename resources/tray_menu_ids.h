// The tray icon's menu: one pop-up with three commands that go to the main
// dialog as WM_COMMAND.
#pragma once

#define IDR_TRAY_MENU 1
#define IDM_TRAY_OPEN 1001   // "Open TallyQuill", the default item
#define IDM_TRAY_CLOSE 1002  // "Close": hide the main dialog
#define IDM_TRAY_EXIT 1003   // "Exit (Turn Off Hot Key )": end the program
