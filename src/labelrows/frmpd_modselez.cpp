#include "labelrows/frmpd_modselez.h"

namespace briskal::labelrows {

FRMPD_MODSELEZ::FRMPD_MODSELEZ(host::HostRuntime& runtime)
    : ComponentForm(runtime, "FRMPD_MODSELEZ", "Modifica etichette") {}

FRMPD_MODSELEZ::~FRMPD_MODSELEZ() = default;

void FRMPD_MODSELEZ::Form_QueryUnload(int& cancel, int) {
  trap("Form_QueryUnload", [&] {
    refreshNavigatorStatus();
    if (cancel == 0) {
      notifyWindowState("kvClose");
      cancel = askNavigatorCancel();
    }
    if (cancel == 0 && closeHandler_) closeHandler_();
  });
}

Value FRMPD_MODSELEZ::publicProperty(std::string_view name) const {
  if (name == "StringaRigaOrd") return Value(stringaRigaOrd_);
  return Value();
}

}  // namespace briskal::labelrows
