#pragma once
// A progress bar without a screen. A value outside the range is held at the nearer end, as a bar
// can show no more than full or empty.

#include <cstdint>
#include <functional>

#include "hostkit/controls/headless_control.h"

namespace briskal::hostkit {

class HeadlessProgress final : public HeadlessControl<host::ProgressControl> {
 public:
  using HeadlessControl::HeadlessControl;

  // Error 380 when the minimum is above the maximum; the value is brought into the new range.
  void setRange(int64_t minimum, int64_t maximum) override;
  void setValue(int64_t value) override;
  int64_t value() const override { return value_; }
  int64_t maximum() const override { return maximum_; }
  int64_t minimum() const { return minimum_; }
  // Told of every value set, so that a host can show the progress (a bar on a terminal).
  void onProgress(std::function<void(int64_t value, int64_t maximum)> watcher) {
    watcher_ = std::move(watcher);
  }

 private:
  int64_t minimum_ = 0;
  int64_t maximum_ = 100;
  int64_t value_ = 0;
  std::function<void(int64_t, int64_t)> watcher_;
};

}  // namespace briskal::hostkit
