#pragma once
// The tests' name for the device that keeps a label printer's job in memory.

#include "hostkit/labelprinter/memory_device.h"

namespace briskal::testing {

using MemoryDevice = hostkit::labelprinter::MemoryDevice;

}  // namespace briskal::testing
