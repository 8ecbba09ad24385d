#include "rename/interrupted_run.h"

#include "rename/messages.h"

namespace namitra::rename {

namespace {

std::string_view folderPart(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

std::string_view namePart(std::string_view path) { return path.substr(folderPart(path).size()); }

std::string shown(const InternalName& internal, const std::string& native) {
  std::optional<std::string> text = internal(native);
  return text ? *text : native;
}

StepPlace wantedPlace(RecoveryDirection direction) {
  return direction == RecoveryDirection::Finish ? StepPlace::AtTo : StepPlace::AtFrom;
}

std::string reasonOf(const RecoveredStep& step, const InternalName& internal) {
  switch (step.place) {
    case StepPlace::Missing: return text::kReasonFileNotFound;
    case StepPlace::Stuck: return text::kReasonStuck + (" (" + shown(internal, step.leftAt) + ")");
    default: return step.reason;
  }
}

// The rename that stands after finishing, as the rename run would have recorded it: with the
// identity of the file it moved. A move within one file system keeps the file's identity; a copy
// has one of its own, even one that recovery made itself, which the record cannot name.
void appendStanding(const RunStep& step, ChangeHistory& history, FileAccess& files, const InternalName& internal) {
  std::optional<std::string> from = internal(step.from);
  std::optional<std::string> to = internal(step.to);
  if (!from || !to) return;
  history.appendRename(folderPart(*from), namePart(*from), folderPart(*to), namePart(*to),
                       step.crossDevice ? files.identity(step.to) : step.identity);
}

std::string summaryLine(RecoveryDirection direction, std::size_t settled, std::size_t failed) {
  std::string line = failed > 0 ? ">> " : "\x81\xa1";
  line += direction == RecoveryDirection::Finish ? text::kInterruptedRunFinished : text::kInterruptedRunRolledBack;
  return line + text::kSucceeded + std::to_string(settled) + text::kCount + text::kFailedJoin +
         std::to_string(failed) + text::kCount;
}

}  // namespace

std::string interruptedRunQuestion(std::size_t files) {
  return text::kInterruptedRunHead + std::to_string(files) + text::kInterruptedRunTail;
}

bool isWindowRun(const ParsedRunRecord& record) { return record.record.origin != "cli"; }

std::string leftToCliLine() { return text::kInterruptedCliRun; }

std::vector<std::string> settleInterruptedRun(ClaimedRunRecord& claimed, InterruptedRunAnswer answer,
                                              ChangeHistory& history, FileAccess& files,
                                              const InternalName& internal) {
  if (answer == InterruptedRunAnswer::Leave) return {text::kInterruptedRunLeft};
  if (claimed.contents().state == RecordState::CutOff) {  // it renamed nothing
    claimed.remove();
    return {};
  }
  const RunRecord& record = claimed.contents().record;
  const RecoveryDirection direction =
      answer == InterruptedRunAnswer::Finish ? RecoveryDirection::Finish : RecoveryDirection::Rollback;
  const RecoveryReport report = recoverRun(record, direction, files);
  std::vector<std::string> log;
  std::size_t settled = 0;
  for (std::size_t k = 0; k < report.steps.size(); ++k) {
    const RecoveredStep& step = report.steps[k];
    if (step.place == StepPlace::AtTo && direction == RecoveryDirection::Finish)
      appendStanding(record.steps[k], history, files, internal);
    if (step.place == wantedPlace(direction)) {
      ++settled;
      continue;
    }
    log.push_back(">> " + shown(internal, record.steps[k].from) + " -> " + shown(internal, record.steps[k].to) +
                  ": " + reasonOf(step, internal));
  }
  log.push_back(summaryLine(direction, settled, report.steps.size() - settled));
  claimed.remove();
  return log;
}

}  // namespace namitra::rename
