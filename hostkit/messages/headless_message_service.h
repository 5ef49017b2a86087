#pragma once
// Message boxes without a screen, for the command line and the tests. Every box goes to a sink
// (stderr on the command line, a recorder in tests) and into a list; its answer comes from the
// answers queued by a test or, when none is queued, from the answer policy.

#include <cstdint>
#include <deque>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "common/regional.h"
#include "host/services.h"
#include "hostkit/messages/message_catalogue.h"

namespace briskal::hostkit {

struct ShownMessage {
  int32_t number = 0;  // 0 for a text shown as it is
  std::string text;
  int32_t buttons = 0;
  std::string title;
  int answer = 0;  // the button pressed; still 0 when the sink receives the box

  friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};

using MessageSink = std::function<void(const ShownMessage&)>;

// Writes each box as one "[NUMBER] text" line (the text alone when it has no number), the text's
// own line breaks as new lines.
MessageSink streamSink(std::ostream& out);

class AnswerPolicy {
 public:
  using Ask = std::function<int(const ShownMessage&)>;

  // The button that goes on (Yes, OK, Retry).
  static AnswerPolicy yes();
  // The button that stops (No, Cancel, Abort).
  static AnswerPolicy no();
  static AnswerPolicy defaultButton();
  // Lets `ask` choose, for instance by asking on a terminal; with no `ask`, the default button.
  static AnswerPolicy interactive(Ask ask);

  int answer(const ShownMessage& message) const;

 private:
  enum class Kind { Yes, No, DefaultButton, Interactive };
  AnswerPolicy(Kind kind, Ask ask) : kind_(kind), ask_(std::move(ask)) {}

  Kind kind_;
  Ask ask_;
};

class HeadlessMessageService : public host::MessageService {
 public:
  // The catalogue is borrowed and must outlive the service.
  HeadlessMessageService(const MessageCatalogue& catalogue, RegionalSettings regional, MessageSink sink,
                         AnswerPolicy policy);

  int textBox(const std::string& text, int32_t buttons, const std::string& title) override;
  int numberedBox(int32_t number, int32_t buttons, const std::string& title,
                  const std::vector<Value>& parameters) override;
  std::string text(int32_t number, const std::vector<Value>& parameters,
                   std::string_view defaultText) override;
  void showStatus(const std::string& text) override;

  // Where the status lines go besides statuses(); none keeps them only there.
  void setStatusSink(std::function<void(const std::string&)> sink) { statusSink_ = std::move(sink); }
  const std::vector<std::string>& statuses() const { return statuses_; }

  void setPolicy(AnswerPolicy policy) { policy_ = std::move(policy); }
  // The next box answers `answer` whatever the policy says; queued answers are used in order.
  void queueAnswer(int answer) { queued_.push_back(answer); }
  size_t queuedAnswers() const { return queued_.size(); }

  // Every box shown so far, with its answer, oldest first.
  const std::vector<ShownMessage>& shown() const { return shown_; }
  void clearShown() { shown_.clear(); }

 private:
  int show(ShownMessage message);

  const MessageCatalogue& catalogue_;
  RegionalSettings regional_;
  MessageSink sink_;
  AnswerPolicy policy_;
  std::deque<int> queued_;
  std::vector<ShownMessage> shown_;
  std::function<void(const std::string&)> statusSink_;
  std::vector<std::string> statuses_;
};

}  // namespace briskal::hostkit
