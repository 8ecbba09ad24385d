// TEMPORARY stand-in until the real recovery lands.
#include "rename/run_recovery.h"
namespace namitra::rename {
RecoveryReport recoverRun(const RunRecord&, RecoveryDirection, FileAccess&) { return {}; }
}
