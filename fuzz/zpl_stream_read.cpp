// A ZPL stream read as the printer reads it: a command starts at every '^' and '~', so a field's
// data runs to the next one of them, which must be the ^FS that ends the field.

#include <optional>
#include <set>

#include "common/utf8.h"
#include "label_stream_parse.h"

namespace briskal::fuzz {
namespace {

// The commands the ZPL writer uses, after their prefix.
const std::set<std::string_view> kZplCommands{"XA", "CI", "PW", "LL", "LH", "MN", "PR", "FO",
                                              "A0", "FB", "FH", "FD", "FS", "BY", "BC", "BE",
                                              "BQ", "BX", "GB", "GD", "GF", "PQ", "XZ"};

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// Field data after ^FH: _XX is the byte XX; in a field block (^FB) a backslash starts a line break
// or a hyphen unless a second one makes it a backslash.
std::string fieldValue(std::string_view data, bool inFieldBlock, std::string_view stream, size_t at) {
  std::string bytes;
  for (size_t i = 0; i < data.size(); ++i) {
    require(!isControl(static_cast<unsigned char>(data[i])), "a control character in field data", stream,
            at + i);
    if (data[i] != '_') {
      bytes += data[i];
      continue;
    }
    require(i + 2 < data.size() && hexDigit(data[i + 1]) >= 0 && hexDigit(data[i + 2]) >= 0,
            "'_' not followed by two hexadecimal digits", stream, at + i);
    bytes += static_cast<char>(hexDigit(data[i + 1]) * 16 + hexDigit(data[i + 2]));
    i += 2;
  }
  std::string value;
  for (size_t i = 0; i < bytes.size(); ++i) {
    require(!isControl(static_cast<unsigned char>(bytes[i])), "a control character in a field's value",
            stream, at);
    if (inFieldBlock && bytes[i] == '\\') {
      require(i + 1 < bytes.size() && bytes[i + 1] == '\\', "a lone backslash in a field block", stream, at);
      ++i;
    }
    value += bytes[i];
  }
  require(utf8::toValidUtf8(value) == value, "a field value that is not UTF-8", stream, at);
  return value;
}

// ^GFA,total,total,bytes-a-row,HEX: the hexadecimal digits of `total` bytes.
void checkGraphic(std::string_view parameters, std::string_view stream, size_t at) {
  require(parameters.substr(0, 2) == "A,", "a graphic that is not ASCII hexadecimal", stream, at);
  const std::vector<int> sizes = leadingNumbers(parameters.substr(2), 3, stream, at);
  const size_t hexAt = parameters.find_last_of(',') + 1;
  const std::string_view hex = parameters.substr(hexAt);
  require(sizes[0] == sizes[1] && hex.size() == 2 * static_cast<size_t>(sizes[0]),
          "a graphic whose data is not as long as it says", stream, at);
  for (const char c : hex)
    require(hexDigit(c) >= 0, "a graphic with a byte that is not hexadecimal", stream, at);
}

}  // namespace

std::vector<StreamLabel> readZpl(std::string_view stream) {
  std::vector<StreamLabel> labels;
  std::optional<StreamLabel> label;
  int width = -1, height = -1;
  bool inField = false, hexEscapes = false, inFieldBlock = false;
  size_t i = 0;
  while (i < stream.size()) {
    if (stream[i] == '\n') {
      ++i;
      continue;
    }
    const size_t at = i;
    require((stream[i] == '^' || stream[i] == '~') && i + 3 <= stream.size(), "not a command", stream, at);
    const bool control = stream[i] == '~';
    const std::string_view name = stream.substr(i + 1, 2);
    i += 3;
    if (!control && name == "FD") {
      const size_t end = stream.find_first_of("^~", i);
      require(end != std::string_view::npos && stream.substr(end, 3) == "^FS", "field data not ended by ^FS",
              stream, end == std::string_view::npos ? at : end);
      require(inField && hexEscapes, "field data outside a field or without ^FH", stream, at);
      label->items.push_back({false, fieldValue(stream.substr(i, end - i), inFieldBlock, stream, i)});
      i = end;
      continue;
    }
    const size_t end = std::min(stream.find_first_of("^~\n", i), stream.size());
    const std::string_view parameters = stream.substr(i, end - i);
    i = end;
    if (control) {
      require(name == "SD" && !label && parameters.size() == 2 && isParameterList(parameters),
              "a control command other than the darkness", stream, at);
      continue;
    }
    require(kZplCommands.count(name) == 1, "a command the writer does not use", stream, at);
    if (name == "XA") {
      require(!label && parameters.empty() && stream.substr(i, 5) == "^CI28", "a label not in UTF-8", stream,
              at);
      label.emplace();
      continue;
    }
    require(label.has_value(), "a command outside a label", stream, at);
    if (name == "GF") {
      require(inField, "a graphic outside a field", stream, at);
      checkGraphic(parameters, stream, at);
      label->items.push_back({true, {}});
      continue;
    }
    // GS1 Data Matrix names '#' its escape character, last.
    const bool gs1Matrix = name == "BX" && parameters.ends_with(",#");
    require(isParameterList(gs1Matrix ? parameters.substr(0, parameters.size() - 1) : parameters),
            "parameters the writer does not write", stream, at);
    if (name == "PW") width = leadingNumbers(parameters, 1, stream, at)[0];
    if (name == "LL") height = leadingNumbers(parameters, 1, stream, at)[0];
    if (name == "FO") {
      require(!inField, "a field inside a field", stream, at);
      inField = true;
      hexEscapes = inFieldBlock = false;
    }
    if (name == "FH") hexEscapes = parameters.empty();
    if (name == "FB") inFieldBlock = true;
    if (name == "FS") {
      require(inField, "^FS outside a field", stream, at);
      inField = false;
    }
    if (name == "XZ") {
      require(!inField, "a label ended inside a field", stream, at);
      label->widthDots = width;
      label->heightDots = height;
      labels.push_back(std::move(*label));
      label.reset();
    }
  }
  require(!label, "a label not ended", stream, stream.size());
  return labels;
}

}  // namespace briskal::fuzz
