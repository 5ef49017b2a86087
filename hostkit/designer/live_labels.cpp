#include "hostkit/designer/live_labels.h"

#include "common/convert.h"
#include "common/routines.h"
#include "labelrows/label_expansion.h"
#include "labelrows/label_rows.h"
#include "output/print_support.h"
#include "params/order_line_query.h"

namespace briskal::hostkit::designer {
namespace {

// Production, purchase and sales orders: the order types the parameter form offers.
constexpr const char* kOrderTypes[] = {"24", "25", "21"};

// A value as the list shows it; a null one shows nothing.
std::string shown(const Value& v, const RegionalSettings& rs) {
  return v.isNull() || v.isEmpty() ? std::string() : std::string(Trim(toText(v, rs)));
}

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

}  // namespace

LiveLabels::LiveLabels(data::Connection& connection, int company, RegionalSettings regional, size_t limit)
    : connection_(connection), company_(company), regional_(std::move(regional)) {
  for (const char* type : kOrderTypes) {
    const std::unique_ptr<data::Recordset> lines = read(type, "");
    if (lines->recordCount() == 0) continue;
    for (lines->moveFirst(); !lines->eof() && lines_.size() < limit; lines->moveNext()) {
      const std::string registration = shown(lines->value("DO30_NUMREG_CO99"), regional_);
      const std::string number = toText(lines->value("DO30_PROGRIGA"), regional_);
      const Value detail = lines->value("DO46_PROGDET");
      const std::string detailText = detail.isNull() ? std::string() : toText(detail, regional_);
      lines_.push_back({type, registration, number, detailText});
      // Rows of one line's cycle details tell themselves apart by the detail.
      titles_.push_back(shown(lines->value("DO11_NUMDOC"), regional_) + "/" + number +
                        (detailText.empty() ? std::string() : "." + detailText) + " · " +
                        shown(lines->value("DO30_CODART_MG66"), regional_) + " · " +
                        shown(lines->value("DO30_DESCART"), regional_));
    }
  }
}

std::unique_ptr<data::Recordset> LiveLabels::read(const std::string& orderType, const std::string& filter) {
  params::OrderLineQueryOptions options;
  options.company = std::to_string(company_);
  options.orderType = orderType;
  options.filterText = filter;
  auto lines = std::make_unique<data::Recordset>();
  lines->setCursorLocation(data::cursor::kUseClient);
  lines->open(params::composeOrderLineQuery(options), connection_, data::cursor::kOpenStatic,
              data::lock::kReadOnly);
  return lines;
}

std::unique_ptr<data::Recordset> LiveLabels::labels(size_t line) {
  const Line& chosen = lines_.at(line);
  const std::unique_ptr<data::Recordset> orderLines =
      read(chosen.orderType,
           "DO30_NUMREG_CO99 = " + quoted(chosen.registration) +
               " AND DO30_PROGRIGA = " + std::to_string(std::stoll(chosen.lineNumber)) +
               (chosen.detail.empty() ? " AND DO46_PROGDET IS NULL"
                                      : " AND DO46_PROGDET = " + std::to_string(std::stoll(chosen.detail))));
  auto support = output::CreaSupportoStampaPersonalizzata();
  if (orderLines->recordCount() == 0) return support;
  const std::unique_ptr<data::Recordset> labelRows = labelrows::newLabelRows();
  labelrows::LabelExpansion expansion(
      *orderLines, *labelRows, regional_, [](const char*, const std::function<void()>& body) { body(); },
      [] {});
  expansion.expandAll({});
  output::AlimentaSupportoStampaPersonalizzata(*orderLines, *labelRows, *support);
  if (support->recordCount() > 0) support->moveFirst();
  return support;
}

}  // namespace briskal::hostkit::designer
