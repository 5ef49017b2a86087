#pragma once
// Host objects the component only holds, passes on or asks one thing of.

#include <string>

#include "common/value.h"

namespace briskal::host {

// An object of the host that the component stores and hands back without looking inside.
class HostObject {
 public:
  virtual ~HostObject() = default;
};

// The host's active frame: the forms read its status to refresh the navigator.
class HostFrame : public HostObject {
 public:
  virtual Value status() const = 0;
};

// The host's menu entry that opened the component.
class MenuEntry : public HostObject {
 public:
  virtual Value property(const std::string& name) const = 0;
};

}  // namespace briskal::host
