#pragma once
// The session's recorder: every run it prints is a job of the company's print history, opened
// with the run's snapshot and all its labels before the first label is sent, and closed with how
// the run ended. A database that cannot take the job stops the run before anything prints.

#include <memory>
#include <string>

#include "common/regional.h"
#include "common/value.h"
#include "hostkit/report/run_record.h"

namespace briskal::hostkit {

struct RecorderSetup {
  std::string connectionString;  // the company database's
  Value company;
  std::string user;
  RegionalSettings regional;
};

std::shared_ptr<report::RunRecorder> historyRecorder(RecorderSetup setup);

}  // namespace briskal::hostkit
