// tallyq-count's help text (--help, and after a bad option).
#pragma once

extern const char kUsage[];
