#pragma once
// The host's report service and label-printer output as the component calls them: a report
// service object per run, told what to print (a template from the component's folder, its data
// and title), raising BeforePrintReport with the engine of the template so that the component
// sets formulas and sections; and the label-printer output, fed the customisable print support.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "common/value.h"

namespace briskal::data {
class Recordset;
}

namespace briskal::host {

class Cinterface;

// Section heights are given in twips: 1440 to the inch, 567 to the centimetre.
inline constexpr int32_t kTwipsPerCentimetre = 567;

// The template being printed.
class ReportEngine {
 public:
  virtual ~ReportEngine() = default;
  virtual void setFormula(const std::string& name, const std::string& text) = 0;
  virtual void setSectionHeight(const std::string& section, int32_t twips) = 0;
  virtual void suppressSection(const std::string& section, bool suppress) = 0;
  // The further call made once after the section height; its effect is the host's.
  virtual void refresh(const std::string& argument) = 0;
};

class ReportService {
 public:
  virtual ~ReportService() = default;
  virtual void setGlobalContext(Cinterface* host) = 0;
  virtual void setClassName(const std::string& name) = 0;
  virtual void setOwner(const std::string& owner) = 0;
  virtual void setTitle(const std::string& title) = 0;
  virtual void setTemplate(const std::string& file) = 0;
  virtual void setTemplateFolder(const std::filesystem::path& folder) = 0;
  virtual void setPreview(bool preview) = 0;
  // The four database logon values of the host's connection description.
  virtual void setLogon(const std::string& server, const std::string& database, const std::string& user,
                        const std::string& password) = 0;
  // Standard labels: the statement whose rows the template prints.
  virtual void setDataSource(const std::string& sql) = 0;
  // Customisable labels: the print support, one record per label.
  virtual void setDataRecordset(data::Recordset* recordset) = 0;
  // Standard labels: the label rows the statement's texts were composed from, one for one and in
  // the same order, which tell a host that keeps a print history the order line of each label.
  // Borrowed until release(); a host that keeps no history ignores them.
  virtual void setLabelRows(data::Recordset* /*rows*/) {}
  virtual void setHostValue(const Value& value) = 0;
  virtual void onBeforePrintReport(std::function<void(ReportEngine& engine)> handler) = 0;
  // Runs the report: reads the data, raises BeforePrintReport, lays the pages out and sends them
  // where the report service's own options say. Throws briskal::Error when it cannot.
  virtual void start() = 0;
  virtual bool completed() const = 0;
  // Drops the global context, owner and data it was given.
  virtual void release() = 0;

  // The report service's own print options, which the component reads.
  virtual bool printHeader() const = 0;
  virtual bool printLimits() const = 0;
  virtual bool printNotes() const = 0;
  virtual std::string performedBy() const = 0;
  virtual std::string addressedTo() const = 0;
  virtual std::string notes() const = 0;
};

// The label-printer output, fed the customisable print support.
class LabelPrinterOutput {
 public:
  virtual ~LabelPrinterOutput() = default;
  virtual Value version() = 0;
  virtual void setContext(const Value& value) = 0;
  virtual void prepare() = 0;
  virtual void setRecordset(data::Recordset* recordset) = 0;
  // Sends one label per record of the recordset. Throws briskal::Error when it cannot.
  virtual void start() = 0;
  virtual Value result() = 0;
};

}  // namespace briskal::host
