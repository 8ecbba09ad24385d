#include "rename/run_recovery.h"
