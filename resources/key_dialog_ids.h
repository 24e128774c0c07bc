// Dialog template id of the "Change Key" dialog and its controls: the Cancel button (IDCANCEL) and a
// line that says why a key was not taken; OK (IDOK) arrives as a posted command only.
#pragma once

#define IDD_CHANGE_KEY 4
#define IDC_KEY_HINT 401
