#pragma once
// The engine object a report run hands to its BeforePrintReport handler: it collects the formula
// texts, section heights and hidden sections the run then lays out with.

#include <string>

#include "host/report_service.h"
#include "hostkit/report/report_layout.h"
#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {

class TemplateEngine final : public host::ReportEngine {
 public:
  // `reportTemplate` is borrowed and must outlive the engine.
  explicit TemplateEngine(const ReportTemplate& reportTemplate) : template_(reportTemplate) {}

  // Any name is accepted: a formula the template does not print is simply not shown.
  void setFormula(const std::string& name, const std::string& text) override;
  // Throws briskal::Error for a section the template does not have or a negative height.
  void setSectionHeight(const std::string& section, int32_t twips) override;
  void suppressSection(const std::string& section, bool suppress) override;
  // Asks the run to read its data again after the handler, which may have changed it.
  void refresh(const std::string& argument) override;

  const RunSettings& settings() const { return settings_; }
  bool refreshRequested() const { return refreshRequested_; }

 private:
  void requireSection(const std::string& section) const;

  const ReportTemplate& template_;
  RunSettings settings_;
  bool refreshRequested_ = false;
};

}  // namespace briskal::hostkit::report
