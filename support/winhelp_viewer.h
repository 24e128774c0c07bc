// Whether the system has the WinHelp viewer: the program's guide is a WinHelp file there, and the
// same guide as an HTML page elsewhere. The Help button and the setup's help shortcut follow it.
#pragma once

// Windows before Vista (version 6) has the viewer; Vista and later have none.
bool HasWinHelpViewer();
