// Dialog template id of the "Change Key" dialog. Its only control is the
// Cancel button (IDCANCEL); OK (IDOK) arrives as a posted command only.
#pragma once

#define IDD_CHANGE_KEY 4
