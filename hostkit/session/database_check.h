#pragma once
// Whether a database is one labels can be printed from, found out before any form opens and
// without changing it: a SQLite file that is not there is not created.

#include <string>
#include <vector>

namespace briskal::hostkit {

struct DatabaseCheck {
  enum class Verdict { Usable, Missing, NotADatabase, LacksTables };
  Verdict verdict = Verdict::Usable;
  std::string file;                  // the SQLite file; empty for a server database
  std::vector<std::string> missing;  // the tables and views it lacks
};

// With `componentTables`, also whether the work-order tables and views the component reads and
// writes are there. Throws briskal::Error when a database cannot be reached or read (a damaged
// file).
DatabaseCheck checkDatabase(const std::string& connectionString, bool componentTables);

}  // namespace briskal::hostkit
