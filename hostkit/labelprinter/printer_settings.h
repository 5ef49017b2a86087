#pragma once
// How a label printer is driven: its language, resolution and media, the darkness and speed to
// print with, where its labels start, and whether it is asked for its status. The defaults print
// the shipped label template right on the usual 203-dpi printer with gap-separated labels,
// leaving darkness and speed as the printer has them.

#include <optional>
#include <string>
#include <string_view>

namespace briskal::hostkit::labelprinter {

enum class PrinterLanguage { Epl2, Zpl };
enum class Media { Gap, Mark, Continuous };

struct LabelSize {
  double widthMm = 0;
  double heightMm = 0;
};

struct PrinterSettings {
  // Unset: the printer's own when it can be asked (a network printer over IPP, a .zpl or .epl
  // file), EPL2 and 203 dpi otherwise.
  std::optional<PrinterLanguage> language{};
  std::optional<int> dpi{};  // 152, 203, 300 or 600
  Media media = Media::Gap;
  double gapMm = 3.0;             // the gap, or the black mark's height, between labels
  std::optional<int> darkness{};  // 0 (lightest) to 30
  std::optional<int> speed{};     // inches a second, 1 to 14
  // The labels loaded in the printer; unset: each label's own size.
  std::optional<LabelSize> labelSize{};
  // Where the printer starts drawing, in millimetres right of and below the label's corner: the
  // label home (ZPL) or reference point (EPL2), which corrects a printer's drift for every
  // template at once.
  double offsetXMm = 0;
  double offsetYMm = 0;
  // The printer is asked whether it can print before a job, and how the job went after it.
  bool checkStatus = true;
  // What messages call the printer (its profile's name); empty: its address.
  std::string name{};

  int resolution() const { return dpi.value_or(kDefaultDpi); }
  static constexpr int kDefaultDpi = 203;
};

// The language's name as the command line and messages give it: "epl2", "zpl".
std::string_view languageName(PrinterLanguage language);
// "gap", "mark", "continuous".
std::string_view mediaName(Media media);
// The language or media of a name above, in any case; none for another name.
std::optional<PrinterLanguage> languageFromName(std::string_view name);
std::optional<Media> mediaFromName(std::string_view name);

// Millimetres as messages and lists give them: "100", "1.5", "0.25".
std::string millimetresText(double mm);

// The largest position or size in dots either language takes; 4 m at 203 dpi, so nothing that far
// out is on a label.
inline constexpr int kMaxDots = 32000;

// Millimetres to printer dots, to the nearest dot, within -kMaxDots..kMaxDots.
int toDots(double mm, int dpi);

}  // namespace briskal::hostkit::labelprinter
