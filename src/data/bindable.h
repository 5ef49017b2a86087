#pragma once
// What a control offers to data binding: named properties read and written as values, and one
// listener told when the user changes a property.

#include <functional>
#include <string_view>

#include "common/value.h"

namespace briskal::data {

class Bindable {
 public:
  using ChangeListener = std::function<void(std::string_view property)>;

  virtual ~Bindable() = default;
  virtual Value property(std::string_view name) const = 0;
  // Sets a property from the data side; raises no change towards the listener.
  virtual void setProperty(std::string_view name, const Value& value) = 0;
  // Replaces the listener; an empty function removes it.
  virtual void setChangeListener(ChangeListener listener) = 0;
};

}  // namespace briskal::data
