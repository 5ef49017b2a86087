#pragma once
// The platform's message-box values: the buttons value a box is asked with (button set, icon,
// default button, modality added together) and the answers it gives back.

#include <cstdint>

namespace briskal::host::msg {

// Button sets: the low four bits.
inline constexpr int32_t kOkOnly = 0;
inline constexpr int32_t kOkCancel = 1;
inline constexpr int32_t kAbortRetryIgnore = 2;
inline constexpr int32_t kYesNoCancel = 3;
inline constexpr int32_t kYesNo = 4;
inline constexpr int32_t kRetryCancel = 5;
// Icons.
inline constexpr int32_t kCritical = 16;
inline constexpr int32_t kQuestion = 32;
inline constexpr int32_t kExclamation = 48;
inline constexpr int32_t kInformation = 64;
// The default button, when not the first.
inline constexpr int32_t kDefaultButton2 = 256;
inline constexpr int32_t kDefaultButton3 = 512;
inline constexpr int32_t kSystemModal = 4096;

// Answers.
inline constexpr int32_t kOk = 1;
inline constexpr int32_t kCancel = 2;
inline constexpr int32_t kAbort = 3;
inline constexpr int32_t kRetry = 4;
inline constexpr int32_t kIgnore = 5;
inline constexpr int32_t kYes = 6;
inline constexpr int32_t kNo = 7;

}  // namespace briskal::host::msg
