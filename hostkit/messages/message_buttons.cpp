#include "hostkit/messages/message_buttons.h"

#include <array>

namespace briskal::hostkit {
namespace {

using namespace host::msg;

struct ButtonSet {
  std::array<int, 3> answers;
  size_t count;
  int affirmative;
  int negative;
};

constexpr std::array<ButtonSet, 6> kButtonSets{{
    {{kOk}, 1, kOk, kOk},
    {{kOk, kCancel}, 2, kOk, kCancel},
    {{kAbort, kRetry, kIgnore}, 3, kRetry, kAbort},
    {{kYes, kNo, kCancel}, 3, kYes, kNo},
    {{kYes, kNo}, 2, kYes, kNo},
    {{kRetry, kCancel}, 2, kRetry, kCancel},
}};

const ButtonSet& buttonSet(int32_t buttons) {
  const auto index = static_cast<size_t>(buttons & 0xF);
  return index < kButtonSets.size() ? kButtonSets[index] : kButtonSets[0];
}

}  // namespace

std::span<const int> boxAnswers(int32_t buttons) {
  const ButtonSet& set = buttonSet(buttons);
  return {set.answers.data(), set.count};
}

int defaultAnswer(int32_t buttons) {
  const ButtonSet& set = buttonSet(buttons);
  const auto position = static_cast<size_t>((buttons & 0x300) >> 8);
  return position < set.count ? set.answers[position] : set.answers[0];
}

int affirmativeAnswer(int32_t buttons) { return buttonSet(buttons).affirmative; }

int negativeAnswer(int32_t buttons) { return buttonSet(buttons).negative; }

}  // namespace briskal::hostkit
