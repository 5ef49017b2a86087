#include "hostkit/messages/headless_translation_service.h"

namespace briskal::hostkit {

int HeadlessTranslationService::KVXMsgBox(const std::string& message, int32_t buttons,
                                          const std::string& title) {
  return messages_.textBox(message, buttons, title);
}

}  // namespace briskal::hostkit
