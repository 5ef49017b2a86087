// A print job's snapshot and labels as a damaged database may hold them: the settings, then after
// an empty line one label's record a line, and a list of label numbers as an operator types it. Each
// is read or refused with briskal::Error, never anything worse; settings that read write back to a
// text that reads the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "data/recordset.h"
#include "hostkit/history/reprint.h"
#include "hostkit/history/run_snapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace briskal::hostkit;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  parseLabelList(input.substr(0, input.find('\n')));
  const size_t split = input.find("\n\n");
  const std::string_view settings = input.substr(0, split);
  try {
    const RunSnapshot snapshot = readSnapshot(settings);
    const std::string written = writeSnapshot(snapshot);
    if (writeSnapshot(readSnapshot(written)) != written) std::abort();
    std::vector<std::string_view> labels;
    std::string_view rest = split == std::string_view::npos ? std::string_view() : input.substr(split + 2);
    while (!rest.empty() && labels.size() < 50) {
      const size_t end = rest.find('\n');
      labels.push_back(rest.substr(0, end));
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    for (const std::string_view label : labels) {
      try {
        readableRecord(snapshot.fields, label, snapshot.regional);
      } catch (const briskal::Error&) {
      }
    }
    restoreRecords(snapshot.fields, labels);
  } catch (const briskal::Error&) {
  }
  return 0;
}
