#include "hostkit/labelprinter/printer_status.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace briskal::hostkit::labelprinter {
namespace {

// The texts between STX and ETX, in the order they came; a frame not closed yet is left out.
std::vector<std::string_view> frames(std::string_view answer) {
  std::vector<std::string_view> found;
  size_t at = 0;
  for (;;) {
    const size_t start = answer.find('\x02', at);
    if (start == std::string_view::npos) break;
    const size_t end = answer.find('\x03', start + 1);
    if (end == std::string_view::npos) break;
    found.push_back(answer.substr(start + 1, end - start - 1));
    at = end + 1;
  }
  return found;
}

bool isErrorsFrame(std::string_view frame) { return frame.find("PRINTER STATUS") != std::string_view::npos; }

std::vector<std::string_view> fields(std::string_view frame) {
  std::vector<std::string_view> out;
  size_t at = 0;
  for (;;) {
    const size_t comma = frame.find(',', at);
    out.push_back(frame.substr(at, comma == std::string_view::npos ? std::string_view::npos : comma - at));
    if (comma == std::string_view::npos) break;
    at = comma + 1;
  }
  return out;
}

// A count of the answer: at most the eight digits a printer gives it.
std::optional<int64_t> number(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\r' || text.front() == '\n'))
    text.remove_prefix(1);
  constexpr int64_t kLargest = 99'999'999;
  int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end == text.data() || value < 0 || value > kLargest) return std::nullopt;
  return value;
}

bool flag(std::string_view field) { return field == "1"; }

// ~HS: the first two frames hold the flags, the third the password and RAM.
std::optional<PrinterStatus> hostStatus(const std::vector<std::string_view>& hs) {
  if (hs.size() < 3) return std::nullopt;
  const std::vector<std::string_view> one = fields(hs[0]);
  const std::vector<std::string_view> two = fields(hs[1]);
  if (one.size() < 12 || two.size() < 9) return std::nullopt;
  const std::optional<int64_t> formats = number(one[4]);
  const std::optional<int64_t> remaining = number(two[8]);
  if (!formats || !remaining) return std::nullopt;
  PrinterStatus status;
  status.known = true;
  const std::array<std::pair<std::string_view, PrinterFault>, 8> flags = {{
      {one[1], PrinterFault::PaperOut},
      {one[2], PrinterFault::Paused},
      {one[5], PrinterFault::BufferFull},
      {one[9], PrinterFault::MemoryCorrupt},
      {one[10], PrinterFault::HeadTooCold},
      {one[11], PrinterFault::HeadTooHot},
      {two[2], PrinterFault::HeadOpen},
      {two[3], PrinterFault::RibbonOut},
  }};
  for (const auto& [field, fault] : flags)
    if (flag(field)) status.add(fault);
  status.labelsWaiting = *formats + *remaining;
  return status;
}

// The flags after "ERRORS:" or "WARNINGS:": whether any is set, then two groups of eight hex
// digits, the second holding the named bits. None when they cannot be read.
std::optional<std::array<uint32_t, 3>> flagGroups(std::string_view frame, size_t at) {
  std::string_view rest = frame.substr(at);
  rest = rest.substr(0, rest.find_first_of("\r\n"));
  std::array<uint32_t, 3> values{};
  for (uint32_t& value : values) {
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value, 16);
    if (ec != std::errc()) return std::nullopt;
    rest.remove_prefix(static_cast<size_t>(end - rest.data()));
  }
  return values;
}

std::string hex(uint32_t value) {
  std::array<char, 9> digits{};
  std::to_chars(digits.data(), digits.data() + 8, value, 16);
  std::string text(digits.data());
  return std::string(8 - text.size(), '0') + text;
}

void addErrors(PrinterStatus& status, std::string_view frame) {
  constexpr std::string_view kErrorsLabel = "ERRORS:";
  if (const size_t at = frame.find(kErrorsLabel); at != std::string_view::npos) {
    const std::optional<std::array<uint32_t, 3>> errors = flagGroups(frame, at + kErrorsLabel.size());
    constexpr std::array<std::pair<uint32_t, PrinterFault>, 8> kErrors = {{
        {0x01, PrinterFault::PaperOut},
        {0x02, PrinterFault::RibbonOut},
        {0x04, PrinterFault::HeadOpen},
        {0x08, PrinterFault::CutterFault},
        {0x10, PrinterFault::HeadTooHot},
        {0x20, PrinterFault::MotorTooHot},
        {0x40, PrinterFault::HeadFault},
        {0x80, PrinterFault::HeadFault},
    }};
    uint32_t rest = errors ? (*errors)[2] : 0;
    for (const auto& [bit, fault] : kErrors) {
      if (rest & bit) status.add(fault);
      rest &= ~bit;
    }
    // Errors that cannot be read, a flag without a name of ours, and the flag of any error with
    // none of its bits: each stops the printer as much as those named.
    if (!errors) {
      status.faults.push_back(PrinterFault::Other);
      status.others.emplace_back("error flags that cannot be read");
    } else if (rest != 0 || (*errors)[1] != 0 || ((*errors)[0] != 0 && (*errors)[2] == 0)) {
      status.faults.push_back(PrinterFault::Other);
      status.others.push_back("error flags " + hex((*errors)[1]) + " " + hex((*errors)[2]));
    }
  }
  constexpr std::string_view kWarningsLabel = "WARNINGS:";
  const size_t at = frame.find(kWarningsLabel);
  const std::optional<std::array<uint32_t, 3>> warnings =
      at == std::string_view::npos ? std::nullopt : flagGroups(frame, at + kWarningsLabel.size());
  if (!warnings) return;
  constexpr std::array<std::pair<uint32_t, std::string_view>, 4> kWarnings = {{
      {0x01, "media to calibrate"},
      {0x02, "print head to clean"},
      {0x04, "print head to replace"},
      {0x08, "paper near its end"},
  }};
  uint32_t rest = (*warnings)[2];
  for (const auto& [bit, words] : kWarnings) {
    if (rest & bit) status.warnings.emplace_back(words);
    rest &= ~bit;
  }
  if (rest != 0 || (*warnings)[1] != 0)
    status.warnings.push_back("warning flags " + hex((*warnings)[1]) + " " + hex((*warnings)[2]));
}

struct Reason {
  std::string_view keyword;
  PrinterFault fault;
};
constexpr std::array<Reason, 12> kReasons = {{
    {"media-empty", PrinterFault::PaperOut},
    {"media-needed", PrinterFault::PaperOut},
    {"media-jam", PrinterFault::PaperJam},
    {"cover-open", PrinterFault::CoverOpen},
    {"door-open", PrinterFault::CoverOpen},
    {"marker-supply-empty", PrinterFault::RibbonOut},
    {"paused", PrinterFault::Paused},
    {"moving-to-paused", PrinterFault::Paused},
    {"offline", PrinterFault::Offline},
    {"shutdown", PrinterFault::Offline},
    {"spool-area-full", PrinterFault::BufferFull},
    {"cutter-jam", PrinterFault::CutterFault},
}};

// A reason a print server gives, without a suffix, while it works as it should: an IPP reason
// without one is an error otherwise.
bool busy(std::string_view keyword) {
  return keyword.starts_with("cups-") || keyword == "connecting-to-device" ||
         keyword.find('.') != std::string_view::npos;  // a maker's own, as com.example-...
}

}  // namespace

void PrinterStatus::add(PrinterFault fault) {
  if (std::find(faults.begin(), faults.end(), fault) == faults.end()) faults.push_back(fault);
}

bool zplAnswerComplete(std::string_view answer, bool withErrors) {
  const std::vector<std::string_view> found = frames(answer);
  const auto errors = std::count_if(found.begin(), found.end(), isErrorsFrame);
  return static_cast<int64_t>(found.size()) - errors >= 3 && (!withErrors || errors > 0);
}

std::optional<PrinterStatus> parseZplStatus(std::string_view answer) {
  std::vector<std::string_view> hs;
  std::vector<std::string_view> errors;
  for (const std::string_view frame : frames(answer)) (isErrorsFrame(frame) ? errors : hs).push_back(frame);
  std::optional<PrinterStatus> status = hostStatus(hs);
  if (status && !errors.empty()) addErrors(*status, errors.front());
  return status;
}

PrinterStatus ippStatus(int state, const std::vector<std::string>& reasons, bool accepting,
                        std::string message) {
  PrinterStatus status;
  status.known = true;
  status.message = std::move(message);
  for (const std::string& reason : reasons) {
    std::string_view keyword = reason;
    std::string_view severity = "-error";
    for (const std::string_view suffix : {"-error", "-warning", "-report"}) {
      if (keyword.ends_with(suffix)) {
        keyword.remove_suffix(suffix.size());
        severity = suffix;
      }
    }
    if (keyword == "none" || keyword.empty()) continue;
    const auto known =
        std::find_if(kReasons.begin(), kReasons.end(), [&](const Reason& r) { return r.keyword == keyword; });
    // A printer gone off line says so in a report; the rest stop a job only as errors.
    const bool stops =
        severity == "-error" || (known != kReasons.end() && known->fault == PrinterFault::Offline);
    if (!stops) {
      if (severity == "-warning") status.warnings.push_back(reason);
      continue;
    }
    if (known != kReasons.end() && known->fault != PrinterFault::Other) {
      status.add(known->fault);
    } else if (!busy(keyword)) {
      status.faults.push_back(PrinterFault::Other);
      status.others.push_back(reason);
    }
  }
  if (state == 5 && status.faults.empty()) status.add(PrinterFault::Stopped);
  if (!accepting) status.add(PrinterFault::NotAcceptingJobs);
  return status;
}

std::pair<std::string_view, std::string_view> faultWords(PrinterFault fault) {
  switch (fault) {
    case PrinterFault::PaperOut: return {"paper out", "carta esaurita"};
    case PrinterFault::RibbonOut: return {"ribbon out", "nastro esaurito"};
    case PrinterFault::HeadOpen: return {"head open", "testina aperta"};
    case PrinterFault::CoverOpen: return {"cover open", "coperchio aperto"};
    case PrinterFault::PaperJam: return {"paper jammed", "carta inceppata"};
    case PrinterFault::Paused: return {"paused", "in pausa"};
    case PrinterFault::BufferFull: return {"its memory for jobs is full", "memoria dei lavori piena"};
    case PrinterFault::CutterFault: return {"cutter fault", "guasto alla taglierina"};
    case PrinterFault::HeadTooHot: return {"print head too hot", "testina surriscaldata"};
    case PrinterFault::HeadTooCold: return {"print head too cold", "testina troppo fredda"};
    case PrinterFault::MotorTooHot: return {"motor too hot", "motore surriscaldato"};
    case PrinterFault::HeadFault: return {"print head fault", "guasto alla testina"};
    case PrinterFault::MemoryCorrupt: return {"memory corrupt", "memoria danneggiata"};
    case PrinterFault::Offline: return {"off line", "non in linea"};
    case PrinterFault::Stopped: return {"stopped", "ferma"};
    case PrinterFault::NotAcceptingJobs: return {"not accepting jobs", "non accetta lavori"};
    case PrinterFault::NotKnown: return {"not known to the print system", "non nota al sistema di stampa"};
    case PrinterFault::NotAnswering: return {"not answering", "non risponde"};
    case PrinterFault::Other: break;
  }
  return {"error", "errore"};
}

report::FailureText faultText(const std::string& printer, const PrinterStatus& status) {
  report::FailureText text;
  text.say("Printer %1", "Stampante %1", {printer});
  for (const PrinterFault fault : status.faults) {
    if (fault == PrinterFault::Other) continue;
    const auto [english, italian] = faultWords(fault);
    text.because(std::string(english), std::string(italian));
  }
  for (const std::string& other : status.others) text.because(other);
  // The printer's own sentence, or the system's words for why it does not answer.
  if (!status.message.empty()) text.say(status.message, "");
  return text;
}

}  // namespace briskal::hostkit::labelprinter
