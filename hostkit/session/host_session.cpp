#include "hostkit/session/host_session.h"

#include <cstdlib>

#include "common/convert.h"
#include "common/error.h"
#include "common/routines.h"
#include "data/connection.h"
#include "hostkit/history/history_recorder.h"
#include "hostkit/labelprinter/headless_label_printer.h"
#include "hostkit/report/destination_kind.h"
#include "hostkit/report/report_layout.h"
#include "hostkit/report/template_parser.h"
#include "hostkit/store/counter_numbers.h"
#include "hostkit/store/printer_profiles.h"
#include "hostkit/store/template_store.h"

namespace briskal::hostkit {
namespace {

// The customisable labels' template, as the component names it.
constexpr const char* kCustomLabels = "CRPD_BRISKLABPERS.rpt";

}  // namespace

HostSession::HostSession(SessionOptions options)
    : catalogue_(MessageCatalogue::load(options.dataFolder / "messages" / (options.locale + ".tsv"))) {
  messages_ = std::make_unique<HeadlessMessageService>(
      catalogue_, options.settings.regional, std::move(options.messageSink), std::move(options.answers));
  runtime_ = std::make_unique<HeadlessRuntime>(*messages_, options.logFile, std::move(options.debugSink));
  runtime_->setWindowFactory(std::move(options.windowFactory));
  delivered_ = std::move(options.delivered);
  const RegionalSettings regional = options.settings.regional;
  // Every label names the company the session works for, as its own table records it.
  options.settings.companyName =
      readCompanyName(options.settings.connectionString, options.settings.company, regional);
  global_ = std::make_shared<HeadlessGlobalContext>(std::move(options.settings), *messages_);
  const std::filesystem::path folder = options.component.parent_path();
  runtime_->setComponentFolder(folder);
  customTemplate_ = options.customTemplate;
  componentFolder_ = folder;
  // The labels' captions print in the session's language.
  auto captions = [this](const std::string& caption) { return catalogue_.screenText(caption); };
  // Every run is kept in the company's print history.
  const std::shared_ptr<report::RunRecorder> recorder =
      historyRecorder({global_->connectionString(), global_->company(), global_->userCode(), regional});
  // Labels take their SSCCs and serial numbers from the company's counters.
  const std::shared_ptr<report::NumberSource> numbers =
      counterNumbers({global_->connectionString(), global_->company(), global_->userCode()});
  report::SessionResources resources{
      captions,
      [this](const std::filesystem::path& at, const std::string& file) { return templateFor(at, file); },
      recorder, numbers};
  runtime_->setReportServiceFactory([this, report = options.report, regional,
                                     prompt = options.reportSettingsPrompt,
                                     presenter = options.reportPresenter, resources] {
    return std::make_unique<report::HeadlessReportService>(
        report, regional, [this](const report::Delivery& delivery) { deliver(delivery); }, prompt, presenter,
        resources);
  });
  labelPrinter_ = options.labelPrinter;
  labelPrinterSettings_ = options.labelPrinterSettings;
  if (!labelPrinter_.empty() && report::destinationKind(labelPrinter_) == report::DestinationKind::Printer) {
    // A printer profile's name.
    data::Connection cn;
    cn.setConnectionString(global_->connectionString());
    cn.open();
    const std::optional<PrinterProfile> profile = PrinterProfiles(cn, global_->company()).find(labelPrinter_);
    if (!profile)
      throw Error(err::kItemNotFound, "briskal",
                  "The label printer " + labelPrinter_ +
                      " is neither a printer profile of the company nor a label printer's address");
    labelPrinter_ = profile->destination;
    labelPrinterSettings_ = profile->settings;
  }
  runtime_->setLabelPrinterFactory([this, folder, regional, global = global_, captions, recorder, numbers] {
    // The label printer lays its labels out with the customisable label template, naming the
    // company as the printed labels do.
    auto labelTemplate = std::make_shared<const report::ReportTemplate>(templateFor(folder, kCustomLabels));
    report::RunSettings run;
    run.formulas["CodiceDitta"] = toText(NVL(global->company(), Value("")), regional);
    run.formulas["RagioneSociale"] = toText(NVL(global->companyName(), Value("")), regional);
    run.captions = captions;
    return std::make_unique<labelprinter::HeadlessLabelPrinter>(
        labelPrinter_,
        [labelTemplate, regional](const data::Recordset& records, const report::RunSettings& settings) {
          // Nothing is sent when a label would be refused half-way through the job.
          report::checkLabels(*labelTemplate, records, settings, regional);
          auto layout = std::make_shared<report::RecordLayout>(*labelTemplate, records, settings, regional);
          return [labelTemplate, layout] { return layout->current(); };
        },
        [this](const report::Delivery& delivery) { deliver(delivery); }, labelPrinterSettings_,
        labelprinter::HeadlessLabelPrinter::Recording{recorder, labelTemplate, run, numbers});
  });
  navigator_ = std::make_shared<HeadlessNavigator>();
  component_ = std::make_unique<LoadedComponent>(options.component, *runtime_);
}

report::ReportTemplate HostSession::templateFor(const std::filesystem::path& folder,
                                                const std::string& file) const {
  const std::string chosen = file == kCustomLabels ? customTemplate_ : std::string();
  std::error_code ignored;
  if (!chosen.empty() && std::filesystem::is_regular_file(chosen, ignored))
    return report::loadTemplate(chosen);
  const std::string name = chosen.empty() ? std::filesystem::path(file).stem().string() : chosen;
  data::Connection cn;
  cn.setConnectionString(global_->connectionString());
  cn.open();
  TemplateStore store(cn, global_->company());
  if (const std::optional<StoredTemplate> stored = store.content(name))
    return report::parseTemplate(stored->text, name + " v" + std::to_string(stored->version), folder);
  if (!chosen.empty())
    throw Error(err::kItemNotFound, "ReportService",
                "There is no template " + chosen + ": neither a file nor a template the database keeps");
  return report::loadTemplate(folder / file);
}

void HostSession::setLabelPrinter(std::string destination, labelprinter::PrinterSettings settings) {
  labelPrinter_ = std::move(destination);
  labelPrinterSettings_ = std::move(settings);
}

report::ReportTemplate HostSession::customLabelTemplate() const {
  return templateFor(componentFolder_, kCustomLabels);
}

void HostSession::deliver(const report::Delivery& delivery) {
  deliveries_.push_back(delivery);
  if (delivered_) delivered_(delivery);
}

HostSession::~HostSession() {
  if (component_) {
    component().CloseForm();
    component_->release();
  }
}

void HostSession::showParameterForm() {
  host::Cinterface& c = component();
  c.setClsGlobal(global_);
  c.setActiveNavigator(navigator_);
  c.setIsActive(true);
  c.setWindowModal(false);
  c.setWindowState(0);
  c.setCaption(Value("Stampa etichette da ordine di lavoro"));
  c.ShowForm();
}

bool HostSession::closeParameterForm() {
  const Value closed = component().CloseForm();
  return closed.kind() == Value::Kind::Bool && closed.asBool();
}

HeadlessControlHost& HostSession::controls(std::string_view form) {
  HeadlessWindow* w = runtime_->window(form);
  if (!w) throw Error(err::kIllegalOperation, "briskal", "The form " + std::string(form) + " is not open");
  return w->headlessControls();
}

std::filesystem::path defaultDataFolder() {
  if (const char* folder = std::getenv("BRISKAL_DATA")) return folder;
  std::error_code ignored;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ignored);
  return program.parent_path().parent_path() / "share" / "briskal";
}

}  // namespace briskal::hostkit
