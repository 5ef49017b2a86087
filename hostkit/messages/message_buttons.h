#pragma once
// The platform's message-box buttons value: which buttons a box shows (low four bits), which one
// is the default (256 second, 512 third) and which answer goes on or stops. Icon flags (16, 32,
// 48, 64) and system modal (4096) change none of this.

#include <cstdint>
#include <span>

#include "host/message_box.h"

namespace briskal::hostkit {

// The answers of the box's buttons, left to right; a button set the platform does not define
// shows OK alone.
std::span<const int> boxAnswers(int32_t buttons);
// The default button's answer; the first button's when the flag names a button the box lacks.
int defaultAnswer(int32_t buttons);
// The button that goes on: Yes, OK or Retry.
int affirmativeAnswer(int32_t buttons);
// The button that stops: No, Cancel or Abort; OK for a box that has no other button.
int negativeAnswer(int32_t buttons);

}  // namespace briskal::hostkit
