#pragma once
// The translation service the component falls back to when it has no host interface: its boxes
// go through a message service as plain texts, since they arrive already marked "[xNNNx] ...".

#include <cstdint>
#include <string>

#include "host/services.h"

namespace briskal::hostkit {

class HeadlessTranslationService : public host::TranslationService {
 public:
  // The message service is borrowed and must outlive this one.
  explicit HeadlessTranslationService(host::MessageService& messages) : messages_(messages) {}

  int KVXMsgBox(const std::string& message, int32_t buttons, const std::string& title) override;

 private:
  host::MessageService& messages_;
};

}  // namespace briskal::hostkit
