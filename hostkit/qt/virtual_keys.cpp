#include "hostkit/qt/virtual_keys.h"

#include <Qt>
#include <array>

namespace briskal::hostkit::qt {
namespace {

struct KeyPair {
  int qt;
  int32_t code;
};

// clang-format off
constexpr std::array kKeys = {
  KeyPair{Qt::Key_Backspace, 8}, KeyPair{Qt::Key_Tab, 9},      KeyPair{Qt::Key_Return, 13},
  KeyPair{Qt::Key_Enter, 13},    KeyPair{Qt::Key_Escape, 27},  KeyPair{Qt::Key_Space, 32},
  KeyPair{Qt::Key_PageUp, 33},   KeyPair{Qt::Key_PageDown, 34}, KeyPair{Qt::Key_End, 35},
  KeyPair{Qt::Key_Home, 36},     KeyPair{Qt::Key_Left, 37},    KeyPair{Qt::Key_Up, 38},
  KeyPair{Qt::Key_Right, 39},    KeyPair{Qt::Key_Down, 40},    KeyPair{Qt::Key_Insert, 45},
  KeyPair{Qt::Key_Delete, 46},
};
// clang-format on

}  // namespace

int32_t virtualKey(int qtKey) {
  if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)) return qtKey;
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
  for (const KeyPair& k : kKeys)
    if (k.qt == qtKey) return k.code;
  return 0;
}

int32_t shiftFlags(int qtModifiers) {
  int32_t flags = 0;
  if (qtModifiers & Qt::ShiftModifier) flags |= 1;
  if (qtModifiers & Qt::ControlModifier) flags |= 2;
  if (qtModifiers & Qt::AltModifier) flags |= 4;
  return flags;
}

}  // namespace briskal::hostkit::qt
