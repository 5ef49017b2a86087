#pragma once
// A fresh demo database in the temporary folder, made once per benchmark run.

#include <filesystem>
#include <string>

#include "data/connection.h"
#include "hostkit/demo/demo_database.h"

namespace briskal::bench {

// Replaces any earlier `name` and its journal files; returns the file's path.
inline std::string createBenchDatabase(const std::string& name, const hostkit::DemoOptions& options) {
  const std::string file = (std::filesystem::temp_directory_path() / name).string();
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file + suffix);
  data::Connection cn;
  cn.setConnectionString("Data Source=" + file);
  cn.open();
  hostkit::createDemoDatabase(cn, options);
  return file;
}

}  // namespace briskal::bench
