// TEMPORARY stand-in until the real run record lands (helper work in progress).
#include "rename/run_record.h"

#include <atomic>
#include <chrono>
#include <unistd.h>

namespace namitra::rename {

std::string temporaryPathFor(std::string_view id, std::size_t step, std::string_view folder) {
  return std::string(folder) + ".namitra-" + std::string(id) + "-" + std::to_string(step);
}
std::string scratchCopyPath(const RunRecord& record, std::size_t step, std::string_view folder) {
  return temporaryPathFor(record.id, step, folder) + ".copy";
}
std::string scratchAsidePath(const RunRecord& record, std::size_t step, std::string_view folder) {
  return temporaryPathFor(record.id, step, folder) + ".aside";
}
std::string newRunId() {
  static std::atomic<unsigned> counter{0};
  return std::to_string(::getpid()) + "x" + std::to_string(++counter);
}
std::unique_ptr<RunRecordWriter> RunRecordWriter::create(const std::filesystem::path& dataFolder, const std::string& id,
                                                         std::string&) {
  return std::unique_ptr<RunRecordWriter>(new RunRecordWriter(dataFolder / ("run-" + id + ".record"), -1));
}
RunRecordWriter::~RunRecordWriter() = default;
bool RunRecordWriter::write(const RunRecord&) { return true; }
bool RunRecordWriter::noteCopied(std::size_t, const FileIdentity&) { return true; }
void RunRecordWriter::remove() {}
bool hasUnfinishedRun(const std::filesystem::path&) { return false; }
std::unique_ptr<ClaimedRunRecord> claimUnfinishedRun(const std::filesystem::path&) { return nullptr; }
ClaimedRunRecord::~ClaimedRunRecord() = default;
void ClaimedRunRecord::remove() {}

}  // namespace namitra::rename
