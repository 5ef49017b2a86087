#include "label_stream_check.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <variant>

#include "common/error.h"
#include "common/utf8.h"
#include "hostkit/gs1/element_string.h"
#include "hostkit/labelprinter/barcode_fit.h"
#include "hostkit/labelprinter/label_writer.h"
#include "hostkit/labelprinter/windows1252.h"
#include "label_stream_parse.h"

namespace briskal::fuzz {
namespace {

using hostkit::labelprinter::PrinterLanguage;
using hostkit::report::BarcodeOp;
using hostkit::report::Page;
using hostkit::report::Symbology;
using hostkit::report::TextOp;

class JobBytes final : public hostkit::labelprinter::ByteDevice {
 public:
  void write(std::string_view bytes) override { bytes_.append(bytes); }
  void finish() override {}
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// What ZPL prints of a text: UTF-8 with U+FFFD for what is not, '?' for control characters.
std::string zplText(std::string_view text) {
  std::string valid = utf8::toValidUtf8(text);
  for (char& c : valid) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return valid;
}

StreamItem field(std::string data) { return {false, std::move(data)}; }
const StreamItem kGraphic{true, {}};

// The values a page's ZPL label carries, in order.
std::vector<StreamItem> zplItems(const Page& page) {
  std::vector<StreamItem> items;
  for (const auto& op : page.ops) {
    if (const auto* text = std::get_if<TextOp>(&op)) {
      if (!text->text.empty()) items.push_back(field(zplText(text->text)));
    } else if (const auto* barcode = std::get_if<BarcodeOp>(&op)) {
      if (barcode->data.empty()) continue;
      switch (barcode->symbology) {
        case Symbology::Code128:
          items.push_back(hostkit::labelprinter::printableAscii(barcode->data) ? field(barcode->data)
                                                                               : kGraphic);
          break;
        case Symbology::Ean13: items.push_back(field(barcode->data.substr(0, 12))); break;
        case Symbology::QrCode: items.push_back(field(zplText("MA," + barcode->data))); break;
        case Symbology::DataMatrix: items.push_back(field(zplText(barcode->data))); break;
        case Symbology::Gs1_128: {
          std::string carried = ">;>8";
          for (const char c : hostkit::gs1::encoded(hostkit::gs1::parseBracketed(barcode->data)))
            carried += c == hostkit::gs1::kGroupSeparator ? ">8" : (c == '>' ? "><" : std::string(1, c));
          items.push_back(field(carried));
          if (barcode->showText) items.push_back(field(barcode->data));
          break;
        }
        case Symbology::Gs1DataMatrix: {
          std::string escaped = "#1";
          for (const char c : hostkit::gs1::encoded(hostkit::gs1::parseBracketed(barcode->data)))
            escaped += c == hostkit::gs1::kGroupSeparator ? std::string("#1") : std::string(1, c);
          items.push_back(field(escaped));
          break;
        }
        case Symbology::Gs1Qr: items.push_back(kGraphic); break;
      }
    } else if (std::holds_alternative<hostkit::report::ImageOp>(op)) {
      items.push_back(kGraphic);
    }
  }
  return items;
}

// The values a page's EPL2 label carries, in order: Windows-1252, one byte a character.
std::vector<StreamItem> epl2Items(const Page& page) {
  std::vector<StreamItem> items;
  const auto encoded = [](const std::string& text) {
    std::string bytes = hostkit::labelprinter::toWindows1252(text);
    if (bytes.size() != utf8::length(utf8::toValidUtf8(text))) {
      std::fprintf(stderr, "label stream check: %zu bytes of Windows-1252 for %zu characters\n", bytes.size(),
                   utf8::length(utf8::toValidUtf8(text)));
      std::abort();
    }
    return bytes;
  };
  for (const auto& op : page.ops) {
    if (const auto* text = std::get_if<TextOp>(&op)) {
      if (!text->text.empty()) items.push_back(field(encoded(text->text)));
    } else if (const auto* barcode = std::get_if<BarcodeOp>(&op)) {
      if (barcode->data.empty()) continue;
      switch (barcode->symbology) {
        case Symbology::Code128:
          items.push_back(hostkit::labelprinter::printableAscii(barcode->data) ? field(encoded(barcode->data))
                                                                               : kGraphic);
          break;
        case Symbology::Ean13: items.push_back(field(barcode->data.substr(0, 12))); break;
        case Symbology::QrCode:
        case Symbology::DataMatrix:
        case Symbology::Gs1_128:
        case Symbology::Gs1DataMatrix:
        case Symbology::Gs1Qr: items.push_back(kGraphic); break;
      }
    } else if (std::holds_alternative<hostkit::report::ImageOp>(op)) {
      items.push_back(kGraphic);
    }
  }
  return items;
}

void checkJob(PrinterLanguage language, const std::vector<Page>& pages,
              hostkit::labelprinter::PrinterSettings settings) {
  settings.language = language;
  JobBytes device;
  const auto writer = hostkit::labelprinter::makeLabelWriter(device, settings);
  writer->startJob();
  std::vector<const Page*> written;
  for (const Page& page : pages) {
    try {
      writer->label(page);
      written.push_back(&page);
    } catch (const Error&) {
    }
  }
  writer->endJob();
  const std::string& stream = device.bytes();
  const bool zpl = language == PrinterLanguage::Zpl;
  const std::vector<StreamLabel> labels = zpl ? readZpl(stream) : readEpl2(stream);
  require(labels.size() == written.size(), "not one label a page written", stream, 0);
  for (size_t n = 0; n < labels.size(); ++n) {
    const Page& page = *written[n];
    const int dpi = settings.resolution();
    require(labels[n].widthDots == hostkit::labelprinter::toDots(page.width, dpi) &&
                labels[n].heightDots == hostkit::labelprinter::toDots(page.height, dpi),
            "a label printed at another label's size", stream, 0);
    const std::vector<StreamItem> expected = zpl ? zplItems(page) : epl2Items(page);
    if (labels[n].items == expected) continue;
    for (size_t k = 0; k < std::max(expected.size(), labels[n].items.size()); ++k) {
      const auto show = [](const std::vector<StreamItem>& items, size_t at) {
        if (at >= items.size()) return std::string("(none)");
        return items[at].graphic ? std::string("(graphic)") : utf8::printable(items[at].data, false);
      };
      std::fprintf(stderr, "value %zu: expected %s, printed %s\n", k, show(expected, k).c_str(),
                   show(labels[n].items, k).c_str());
    }
    violation("a label whose values are not its page's", stream, 0);
  }
}

}  // namespace

void violation(std::string_view what, std::string_view stream, size_t at) {
  const size_t from = at < 80 ? 0 : at - 80;
  std::fprintf(stderr, "label stream check: %.*s at byte %zu of %zu:\n%s\n", static_cast<int>(what.size()),
               what.data(), at, stream.size(), utf8::printable(stream.substr(from, 160)).c_str());
  std::abort();
}

bool isParameterList(std::string_view text) {
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == ',')) return false;
  }
  return true;
}

std::vector<int> leadingNumbers(std::string_view parameters, size_t count, std::string_view stream,
                                size_t at) {
  std::vector<int> numbers;
  size_t i = 0;
  while (numbers.size() < count) {
    const size_t start = i;
    int value = 0;
    for (; i < parameters.size() && parameters[i] >= '0' && parameters[i] <= '9' && i - start < 9; ++i)
      value = value * 10 + (parameters[i] - '0');
    require(i > start && (i == parameters.size() || parameters[i] == ','), "a parameter that is no number",
            stream, at);
    numbers.push_back(value);
    ++i;
  }
  return numbers;
}

void writeAndCheckJobs(const std::vector<Page>& pages, hostkit::labelprinter::PrinterSettings settings) {
  checkJob(PrinterLanguage::Zpl, pages, settings);
  checkJob(PrinterLanguage::Epl2, pages, settings);
}

}  // namespace briskal::fuzz
