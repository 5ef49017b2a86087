#include "hostkit/report/run_record.h"

#include <exception>

#include "common/error.h"

namespace briskal::hostkit::report {

std::unique_ptr<RunRecord> openRecord(RunRecorder* recorder, const RunStart& start) {
  return recorder ? recorder->open(start) : nullptr;
}

int64_t recorded(std::unique_ptr<RunRecord> record, const std::function<int64_t()>& send) {
  int64_t pages = 0;
  try {
    pages = send();
  } catch (const Error& e) {
    if (record) record->failed(e.description());
    throw;
  } catch (const std::exception& e) {
    if (record) record->failed(e.what());
    throw;
  }
  if (record) record->delivered(pages);
  return pages;
}

}  // namespace briskal::hostkit::report
