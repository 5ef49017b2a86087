#include "hostkit/controls/headless_resizer.h"

#include <algorithm>

namespace briskal::hostkit {
namespace {

auto byName(const std::string& controlName) {
  return [&controlName](const std::pair<std::string, int32_t>& r) { return r.first == controlName; };
}

}  // namespace

void HeadlessResizer::registerControl(const std::string& controlName, int32_t anchor) {
  const auto it = std::find_if(registrations_.begin(), registrations_.end(), byName(controlName));
  if (it != registrations_.end()) {
    it->second = anchor;
  } else {
    registrations_.emplace_back(controlName, anchor);
  }
}

void HeadlessResizer::start() {
  started_ = true;
  raiseEvent(onSetup_);
}

std::optional<int32_t> HeadlessResizer::anchorOf(const std::string& controlName) const {
  const auto it = std::find_if(registrations_.begin(), registrations_.end(), byName(controlName));
  return it == registrations_.end() ? std::nullopt : std::optional<int32_t>(it->second);
}

}  // namespace briskal::hostkit
