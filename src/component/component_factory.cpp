// The component's one export: the factory the host calls to create CLSPD_BRISKAL.

#include <memory>

#include "component/clspd_briskal.h"

extern "C" __attribute__((visibility("default"))) briskal::host::Cinterface* CreateCLSPD_BRISKAL(
    briskal::host::HostRuntime* runtime) {
  if (!runtime) return nullptr;
  // Ownership passes to the host, which deletes the object through Cinterface.
  return std::make_unique<briskal::host::CLSPD_BRISKAL>(*runtime).release();
}
