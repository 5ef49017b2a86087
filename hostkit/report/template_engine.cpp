#include "hostkit/report/template_engine.h"

namespace briskal::hostkit::report {

void TemplateEngine::setFormula(const std::string& name, const std::string& text) {
  settings_.formulas[name] = text;
}

void TemplateEngine::setSectionHeight(const std::string& section, int32_t twips) {
  requireSection(section);
  if (twips < 0) throwReportError("The height of section " + section + " cannot be negative");
  settings_.sectionHeights[section] = twips / kTwipsPerMillimetre;
}

void TemplateEngine::suppressSection(const std::string& section, bool suppress) {
  requireSection(section);
  if (suppress) settings_.suppressed.insert(section);
  else settings_.suppressed.erase(section);
}

void TemplateEngine::refresh(const std::string&) { refreshRequested_ = true; }

void TemplateEngine::requireSection(const std::string& section) const {
  if (!template_.findSection(section))
    throwReportError("The report template " + template_.name + " has no section " + section);
}

}  // namespace briskal::hostkit::report
