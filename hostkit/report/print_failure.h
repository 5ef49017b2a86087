#pragma once
// A print system's failure (a CUPS queue, an IPP or raw-port label printer, a label file) in the
// two forms it is told in: in English on the command line and in the log, and in the session's
// language on screen. Our own sentences are written in both, the Italian one being the screen
// catalogue's key; the system's own words (CUPS's error string, a socket's error) stay as the
// system gave them in either.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"

namespace briskal::hostkit::report {

class FailureText {
 public:
  // A sentence of ours; %1 to %9 stand for `arguments` (names, addresses, counts) in both
  // languages. A sentence after another part follows it after "; ".
  FailureText& say(std::string english, std::string italian, std::vector<std::string> arguments = {});
  // The system's own words, after a colon, or after a comma when they follow another cause;
  // nothing when it gave none.
  FailureText& because(std::string_view systemWords);
  // A cause in words of ours, after a colon.
  FailureText& because(std::string english, std::string italian);

  std::string english() const;
  // With each Italian sentence as `translate` gives it.
  std::string translated(const std::function<std::string(const std::string& italian)>& translate) const;

 private:
  struct Part {
    std::string english;
    std::string italian;  // empty for the system's own words
    std::vector<std::string> arguments;
    bool cause = false;
  };
  std::string joined(const std::function<std::string(const Part& part)>& sentence) const;

  std::vector<Part> parts_;
};

// What the print services throw for a failure a screen tells in its own language; the
// description is the English text.
class PrintFailure : public Error {
 public:
  PrintFailure(int32_t number, std::string source, FailureText text);
  const FailureText& text() const { return text_; }

 private:
  FailureText text_;
};

}  // namespace briskal::hostkit::report
