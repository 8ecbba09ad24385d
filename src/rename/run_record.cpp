#include "rename/run_record.h"
