#include "output/label_text.h"

#include <algorithm>

#include "common/convert.h"
#include "common/routines.h"
#include "common/utf8.h"

namespace briskal::output {
namespace {

std::string text(const data::Recordset& label, std::string_view field, const RegionalSettings& rs) {
  return toText(NVL(label.value(field), Value("")), rs);
}

std::string trimmed(const data::Recordset& label, std::string_view field, const RegionalSettings& rs) {
  return std::string(RTrim(text(label, field, rs)));
}

// Quantity with the residual choice: the base quantity, or on label rows (which leave it empty)
// the copy every row of the order line carries.
std::string residual(const data::Recordset& label, const RegionalSettings& rs) {
  return isBlank(label.value("QTAORD")) ? text(label, "QTAORDTMP", rs) : text(label, "QTAORD", rs);
}

}  // namespace

LabelLayout::LabelLayout(data::Recordset& lines, const RegionalSettings& rs) {
  lines.setFilter("");
  lines.setSort("PD45_RIGA , PD45_SEQSTP");
  if (lines.bof() && lines.eof()) return;
  for (lines.moveFirst(); !lines.eof(); lines.moveNext()) {
    const int32_t row = toInt32(NVL(lines.value("PD45_RIGA"), Value(int32_t{0})), rs);
    if (row < 1) continue;
    if (static_cast<size_t>(row) > rows_.size()) rows_.resize(static_cast<size_t>(row));
    Field f;
    f.caption = toText(NVL(lines.value("PD45_CAMPO"), Value("")), rs);
    f.dataField = toText(NVL(lines.value("PD45_DATAFIELD"), Value("")), rs);
    f.startColumn = toInt32(NVL(lines.value("PD45_POSINI"), Value(int32_t{0})), rs);
    f.withCaption = toInt32(NVL(lines.value("PD45_FLGLBLCAMPO"), Value(int32_t{0})), rs) != 0;
    rows_[static_cast<size_t>(row - 1)].push_back(std::move(f));
  }
  lines.moveFirst();
}

std::string fieldText(const data::Recordset& label, std::string_view f, std::string_view selector,
                      const RegionalSettings& rs) {
  if (f == "DO30_CODART_MG66" || f == "DO30_OPZIONE_MG5E" || f == "DO30_CODARTCLI")
    return trimmed(label, f, rs);
  if (f == "DO11_CODREP_PD07") return text(label, f, rs) + " " + trimmed(label, "PD07_DESCR", rs);
  if (f == "PD12_CODICE_PD01") return text(label, f, rs) + " " + trimmed(label, "PD01_DESCR", rs);
  if (f == "PD12_MACCHINA_PD08") return text(label, f, rs) + " " + trimmed(label, "PD08_DESCR", rs);
  if (f == "MG68_PESON" || f == "MG68_PESOL")
    return text(label, "MG68_UMPESO", rs) + " " + text(label, f, rs);
  if (f == "MG68_CAPAC") return text(label, "MG68_UMCAPAC", rs) + " " + text(label, f, rs);
  if (f == "MG68_ALTEZ" || f == "MG68_LARGH" || f == "MG68_PROF")
    return text(label, "MG68_UMDIMEN", rs) + " " + text(label, f, rs);
  if (f == "MG68_VOLUME") return text(label, "MG68_UMVOLUME", rs) + " " + text(label, f, rs);
  if (f == "DO30_QTA1" || f == "DO30_QTA2") {
    const bool first = f == "DO30_QTA1";
    if (selector == "0") return text(label, f, rs);
    if (selector == "1") return residual(label, rs);
    if (selector == "2") return text(label, first ? "DO31_QTA1CONS" : "DO31_QTA2CONS", rs);
    return "";
  }
  return text(label, f, rs);
}

std::string ScriviRigaDati(const LabelLayout& layout, const data::Recordset& label, int16_t row,
                           std::string_view selector, const RegionalSettings& rs) {
  if (row < 1 || row > layout.rows() || layout.fieldsOf(row).empty()) return " ";
  std::string line;
  for (const LabelLayout::Field& f : layout.fieldsOf(row)) {
    const int64_t gap = static_cast<int64_t>(f.startColumn) - 1 - static_cast<int64_t>(utf8::length(line));
    line.append(gap >= 1 ? static_cast<size_t>(gap) : 1, ' ');
    if (f.withCaption) line += f.caption + ": ";
    line += fieldText(label, f.dataField, selector, rs);
  }
  return line;
}

std::string composeLabel(const LabelLayout& layout, const data::Recordset& label, std::string_view selector,
                         const RegionalSettings& rs) {
  std::string text;
  for (int16_t row = 1; row <= layout.rows(); ++row) {
    if (row > 1) text += "\r\n";
    text += ScriviRigaDati(layout, label, row, selector, rs);
  }
  return text;
}

}  // namespace briskal::output
