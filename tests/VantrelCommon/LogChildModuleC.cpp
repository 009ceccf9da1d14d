// A source module of its own for the module-limited diagnostics test.
#include "VantrelCommon/LSDiag.h"

void LogFromModuleC() {
    LSDIAG_DIAG << "diagnostic from module C";
}
