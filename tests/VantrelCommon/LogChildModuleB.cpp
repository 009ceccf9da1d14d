// A source module of its own for the module-limited diagnostics test.
#include "VantrelCommon/LSDiag.h"

void LogFromModuleB() {
    LSDIAG_DIAG << "diagnostic from module B";
}
