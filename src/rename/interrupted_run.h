// A run that was cut off (a crash, a kill, a power cut), as the window meets it at start-up.
//
// The window finds the oldest unfinished run record of its data folder and asks whether to
// finish the run (Yes), roll it back (No) or leave it for now (Cancel); this unit holds the
// question's text and carries out the answer: recovery (rename/run_recovery.h), the history
// records of the renames that stand after finishing, the record removed, and the log lines that
// say what was done. A run of namitra-cli is left to `namitra-cli --recover`, which also puts
// its journal in line with the disk; the window only says so.
#pragma once

#include "rename/change_history.h"
#include "rename/file_access.h"
#include "rename/run_record.h"
#include "rename/run_recovery.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace namitra::rename {

// Native bytes to the program's text; nullopt when they cannot be taken in.
using InternalName = std::function<std::optional<std::string>(std::string_view native)>;

// The warning asked at start-up for a run of `files` files.
std::string interruptedRunQuestion(std::size_t files);

enum class InterruptedRunAnswer { Finish, Rollback, Leave };

// Takes the claimed record through the answer; returns the lines for the log. Finishing appends
// a history record for every file that ends at its new name. Unless the answer is Leave, the
// record is removed afterwards: every file is then at one of its names, and the log says where
// the ones that could not be put where the answer wanted are.
std::vector<std::string> settleInterruptedRun(ClaimedRunRecord& claimed, InterruptedRunAnswer answer,
                                              ChangeHistory& history, FileAccess& files,
                                              const InternalName& internal);

// Whether the window settles this record itself (a record of namitra-cli is left to it).
bool isWindowRun(const ParsedRunRecord& record);
// The log line for a run the window leaves to namitra-cli.
std::string leftToCliLine();

}  // namespace namitra::rename
