// Every unit test reads documents as the programs do: through the system's code-page converter,
// made the readers' before any test runs.
#include "app/system_code_pages.h"

namespace {

const bool kSystemCodePagesUsed = (UseSystemCodePages(), true);

}  // namespace
