#include "app/rates_dialog.h"

// Stand-in until the dialog lands.
bool EditRates(HWND, RateBook*) { return false; }
