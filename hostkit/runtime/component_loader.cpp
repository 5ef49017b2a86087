#include "hostkit/runtime/component_loader.h"

#include <dlfcn.h>

#include <cstdlib>

#include "common/error.h"

namespace briskal::hostkit {
namespace {

using Factory = host::Cinterface* (*)(host::HostRuntime*);

[[noreturn]] void loadError(const std::string& what) {
  const char* detail = dlerror();
  throw Error(err::kInvalidProcedureCall, "briskal",
              what + (detail ? std::string(": ") + detail : std::string()));
}

}  // namespace

void LoadedComponent::Closer::operator()(void* handle) const { dlclose(handle); }

LoadedComponent::LoadedComponent(const std::filesystem::path& library, host::HostRuntime& runtime) {
  library_.reset(dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!library_) loadError("cannot load the component " + library.string());
  auto factory = reinterpret_cast<Factory>(dlsym(library_.get(), "CreateCLSPD_BRISKAL"));
  if (!factory) loadError("the component " + library.string() + " exports no CreateCLSPD_BRISKAL");
  object_.reset(factory(&runtime));
  if (!object_) loadError("the component did not create its object");
}

LoadedComponent::~LoadedComponent() { object_.reset(); }

std::filesystem::path defaultComponentPath() {
  if (const char* path = std::getenv("BRISKAL_COMPONENT")) return path;
  std::error_code ignored;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ignored);
  return program.parent_path().parent_path() / "lib" / "briskal" / "DAZO_BRISKAL.so";
}

}  // namespace briskal::hostkit
