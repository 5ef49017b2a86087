#include "hostkit/messages/headless_message_service.h"

#include <ostream>

#include "common/utf8.h"
#include "hostkit/messages/message_buttons.h"

namespace briskal::hostkit {
namespace {

// CR LF, a lone CR and a lone LF all end a line; a lone CR on a terminal would overwrite the line.
// Other control characters, typed by someone into a value the message repeats, are shown escaped.
void writeLines(std::ostream& out, const std::string& text) {
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    lines += text[i] == '\r' ? '\n' : text[i];
  }
  out << utf8::printable(lines);
}

}  // namespace

MessageSink streamSink(std::ostream& out) {
  return [&out](const ShownMessage& message) {
    if (message.number != 0) out << '[' << message.number << "] ";
    writeLines(out, message.text);
    out << std::endl;
  };
}

AnswerPolicy AnswerPolicy::yes() { return {Kind::Yes, nullptr}; }
AnswerPolicy AnswerPolicy::no() { return {Kind::No, nullptr}; }
AnswerPolicy AnswerPolicy::defaultButton() { return {Kind::DefaultButton, nullptr}; }
AnswerPolicy AnswerPolicy::interactive(Ask ask) { return {Kind::Interactive, std::move(ask)}; }

int AnswerPolicy::answer(const ShownMessage& message) const {
  switch (kind_) {
    case Kind::Yes: return affirmativeAnswer(message.buttons);
    case Kind::No: return negativeAnswer(message.buttons);
    case Kind::Interactive:
      if (ask_) return ask_(message);
      break;
    case Kind::DefaultButton: break;
  }
  return defaultAnswer(message.buttons);
}

HeadlessMessageService::HeadlessMessageService(const MessageCatalogue& catalogue, RegionalSettings regional,
                                               MessageSink sink, AnswerPolicy policy)
    : catalogue_(catalogue),
      regional_(std::move(regional)),
      sink_(std::move(sink)),
      policy_(std::move(policy)) {}

int HeadlessMessageService::textBox(const std::string& text, int32_t buttons, const std::string& title) {
  return show({0, text, buttons, title});
}

int HeadlessMessageService::numberedBox(int32_t number, int32_t buttons, const std::string& title,
                                        const std::vector<Value>& parameters) {
  return show({number, catalogue_.text(number, parameters, regional_), buttons, title});
}

std::string HeadlessMessageService::text(int32_t number, const std::vector<Value>& parameters,
                                         std::string_view defaultText) {
  return catalogue_.text(number, defaultText, parameters, regional_);
}

void HeadlessMessageService::showStatus(const std::string& text) {
  statuses_.push_back(text);
  if (statusSink_) statusSink_(text);
}

int HeadlessMessageService::show(ShownMessage message) {
  if (sink_) sink_(message);
  if (queued_.empty()) {
    message.answer = policy_.answer(message);
  } else {
    message.answer = queued_.front();
    queued_.pop_front();
  }
  shown_.push_back(message);
  return message.answer;
}

}  // namespace briskal::hostkit
