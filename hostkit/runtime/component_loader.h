#pragma once
// Loads the component's shared library at run time and creates its public class through the one
// C factory it exports, as the host does with a plug-in.

#include <filesystem>
#include <memory>

#include "host/cinterface.h"
#include "host/runtime.h"

namespace briskal::hostkit {

class LoadedComponent {
 public:
  // Throws briskal::Error with the loader's message when the library or its factory is missing.
  LoadedComponent(const std::filesystem::path& library, host::HostRuntime& runtime);
  ~LoadedComponent();
  LoadedComponent(const LoadedComponent&) = delete;
  LoadedComponent& operator=(const LoadedComponent&) = delete;

  host::Cinterface& object() { return *object_; }
  // Terminates the object (its forms go with it) while the library is still loaded.
  void release() { object_.reset(); }

 private:
  struct Closer {
    void operator()(void* handle) const;
  };
  std::unique_ptr<void, Closer> library_;
  std::unique_ptr<host::Cinterface> object_;
};

// The component next to the running program: BRISKAL_COMPONENT when set, otherwise
// ../lib/briskal/DAZO_BRISKAL.so from the program's folder, where it is built and installed.
std::filesystem::path defaultComponentPath();

}  // namespace briskal::hostkit
