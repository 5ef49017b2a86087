#include "hostkit/qt/designer_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>
#include <fstream>
#include <iterator>

#include "common/error.h"
#include "hostkit/designer/support_fields.h"
#include "hostkit/gs1/element_string.h"
#include "hostkit/qt/designer_canvas.h"
#include "hostkit/report/composed_text.h"
#include "hostkit/report/label_stock.h"
#include "hostkit/report/staged_file.h"
#include "hostkit/store/template_store.h"

namespace briskal::hostkit::qt {
namespace {

// Whether a composition reads as one: a run could not print a template with one that does not.
bool composes(const std::string& text) {
  try {
    report::parseComposed(text);
    return true;
  } catch (const Error&) {
    return false;
  }
}

constexpr char kDatabasePrefix[] = "db:";

// A new label: 100 x 50 mm, one detail section.
constexpr char kNewTemplate[] =
    "page kind=label width=100 height=50\n"
    "section name=Da kind=detail height=50\n";

// The palette's list hands out field names as drags the canvas takes.
class FieldPalette final : public QListWidget {
 public:
  using QListWidget::QListWidget;

 protected:
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override {
    auto* dragged = new QMimeData;  // Qt takes it over
    if (!items.isEmpty()) dragged->setData(kFieldMimeType, items.front()->data(Qt::UserRole).toByteArray());
    return dragged;
  }
};

// The spin box's value when the person changed it, else `current` with all its decimals: a
// value the box shows rounded is not rounded by an edit of something else.
double edited(const QDoubleSpinBox* box, double current) {
  const double shown = QString::number(current, 'f', box->decimals()).toDouble();
  return std::abs(box->value() - shown) < 1e-9 ? current : box->value();
}

std::unique_ptr<designer::DesignDocument> newLabel() {
  return std::make_unique<designer::DesignDocument>(kNewTemplate, "etichetta.rpt", std::filesystem::path());
}

const std::pair<labelprinter::PrinterLanguage, int> kPrinters[] = {
    {labelprinter::PrinterLanguage::Epl2, 203},
    {labelprinter::PrinterLanguage::Epl2, 300},
    {labelprinter::PrinterLanguage::Zpl, 203},
    {labelprinter::PrinterLanguage::Zpl, 300},
};

}  // namespace

DesignerWindow::DesignerWindow(DesignerContext context, QWidget* parent)
    : QMainWindow(parent), context_(std::move(context)) {
  // Without its database the designer still designs: it only has no data and no stored templates.
  QString unreachable;
  if (!context_.connectionString.empty()) {
    try {
      connection_ = std::make_unique<data::Connection>();
      connection_->setConnectionString(context_.connectionString);
      connection_->open();
      live_ = std::make_unique<designer::LiveLabels>(*connection_, context_.company, context_.regional);
    } catch (const Error& e) {
      live_.reset();
      connection_.reset();
      unreachable = QString::fromStdString(e.description());
    }
  }
  setDocument(newLabel(), "");
  build();
  showLine(std::nullopt);
  if (!unreachable.isEmpty()) problems_->addItem(unreachable);
}

DesignerWindow::~DesignerWindow() = default;

void DesignerWindow::build() {
  const ScreenTexts& t = context_.texts;
  resize(1200, 760);
  canvas_ = new DesignerCanvas(*document_, context_.regional);
  canvas_->changed = [this] { documentChanged(); };
  canvas_->selectionChanged = [this] { showSelection(); };
  scroll_ = new QScrollArea;
  scroll_->setWidget(canvas_);
  scroll_->setWidgetResizable(true);
  setCentralWidget(scroll_);

  const auto action = [this](QMenu* menu, const QString& text, const QKeySequence& keys, auto&& slot) {
    QAction* a = menu->addAction(text, this, slot);
    if (!keys.isEmpty()) a->setShortcut(keys);
    return a;
  };
  QMenu* file = menuBar()->addMenu(t("&File"));
  action(file, t("&Nuovo"), QKeySequence::New, [this] {
    if (mayDiscard()) setDocument(newLabel(), "");
  });
  action(file, t("&Apri…"), QKeySequence::Open, [this, &t] {
    if (!mayDiscard()) return;
    const QString name =
        QFileDialog::getOpenFileName(this, t("Apri modello"), {}, t("Modelli (*.rpt *.RPT)"));
    if (!name.isEmpty()) open(name.toStdString());
  });
  action(file, t("&Salva"), QKeySequence::Save, [this] { save(); });
  action(file, t("Salva &con nome…"), QKeySequence::SaveAs, [this, &t] {
    const QString name =
        QFileDialog::getSaveFileName(this, t("Salva modello"), {}, t("Modelli (*.rpt *.RPT)"));
    if (!name.isEmpty()) saveAs(name.toStdString());
  });
  action(file, t("Salva nel &database…"), {}, [this, &t] {
    bool ok = false;
    const QString name =
        QInputDialog::getText(this, t("Salva nel database"), t("Nome del modello"), QLineEdit::Normal,
                              QString::fromStdString(document_->name()), &ok);
    if (!ok || name.isEmpty()) return;
    const QString comment =
        QInputDialog::getText(this, t("Salva nel database"), t("Commento"), QLineEdit::Normal, {}, &ok);
    if (ok) saveToDatabase(name.toStdString(), comment.toStdString());
  })->setEnabled(connection_ != nullptr);

  QMenu* edit = menuBar()->addMenu(t("&Modifica"));
  action(edit, t("&Annulla"), QKeySequence::Undo, [this] {
    document_->undo();
    documentChanged();
  });
  action(edit, t("&Ripeti"), QKeySequence::Redo, [this] {
    document_->redo();
    documentChanged();
  });
  action(edit, t("&Copia"), QKeySequence::Copy, [this] { document_->copySelection(); });
  action(edit, t("&Incolla"), QKeySequence::Paste, [this] {
    document_->paste();
    documentChanged();
  });
  action(edit, t("&Elimina"), QKeySequence::Delete, [this] {
    document_->removeSelection();
    documentChanged();
  });

  QMenu* insert = menuBar()->addMenu(t("&Inserisci"));
  QToolBar* tools = addToolBar(t("Strumenti"));
  tools->setObjectName("tools");
  const auto tool = [&](QMenu* menu, const QString& text, auto&& slot) {
    QAction* a = action(menu, text, {}, slot);
    tools->addAction(a);
  };
  tool(insert, t("Testo"), [this] {
    report::TextItem text;
    text.width = 40, text.height = 5, text.source = {report::ValueSource::Kind::Literal, "Testo"};
    addItem(std::move(text));
  });
  tool(insert, t("Codice a barre"), [this] {
    report::BarcodeItem bars;
    bars.width = 40, bars.height = 15, bars.source = {report::ValueSource::Kind::Field, "DO30_CODART_MG66"};
    addItem(std::move(bars));
  });
  tool(insert, t("Riquadro"), [this] { addItem(report::BoxItem{0, 0, 20, 10, 0.3, false, {}}); });
  tool(insert, t("Linea"), [this] { addItem(report::LineItem{0, 0, 30, 0, 0.3, {}}); });
  tool(insert, t("Immagine…"), [this] { insertImage(); });
  tools->addSeparator();

  QMenu* arrange = menuBar()->addMenu(t("&Disponi"));
  const auto aligned = [this](designer::Edge e) {
    return [this, e] {
      document_->align(e);
      documentChanged();
    };
  };
  tool(arrange, t("Allinea a sinistra"), aligned(designer::Edge::Left));
  tool(arrange, t("Allinea a destra"), aligned(designer::Edge::Right));
  tool(arrange, t("Allinea in alto"), aligned(designer::Edge::Top));
  tool(arrange, t("Allinea in basso"), aligned(designer::Edge::Bottom));
  action(arrange, t("Centra in orizzontale"), {}, aligned(designer::Edge::CentreX));
  action(arrange, t("Centra in verticale"), {}, aligned(designer::Edge::CentreY));
  action(arrange, t("Distribuisci in orizzontale"), {}, [this] {
    document_->distribute(designer::Axis::Horizontal);
    documentChanged();
  });
  action(arrange, t("Distribuisci in verticale"), {}, [this] {
    document_->distribute(designer::Axis::Vertical);
    documentChanged();
  });
  action(arrange, t("Porta avanti"), QKeySequence(Qt::CTRL | Qt::Key_BracketRight), [this] {
    document_->raise();
    documentChanged();
  });
  action(arrange, t("Porta indietro"), QKeySequence(Qt::CTRL | Qt::Key_BracketLeft), [this] {
    document_->lower();
    documentChanged();
  });

  QMenu* view = menuBar()->addMenu(t("&Visualizza"));
  tools->addSeparator();
  tool(view, t("Ingrandisci"), [this] { canvas_->setZoom(canvas_->zoom() * 1.25); });
  tool(view, t("Riduci"), [this] { canvas_->setZoom(canvas_->zoom() / 1.25); });
  tool(view, t("Adatta"), [this] { canvas_->zoomToFit(scroll_->viewport()->size()); });
  // A millimetre of the label as a millimetre of the screen.
  action(view, t("Dimensioni reali"), QKeySequence(Qt::CTRL | Qt::Key_1),
         [this] { canvas_->setZoom(logicalDpiX() / 25.4); });
  QAction* grid = action(view, t("Griglia"), {}, [this](bool on) { canvas_->setGrid(1, on); });
  grid->setCheckable(true);
  grid->setChecked(true);

  addToolBarBreak();
  QToolBar* liveData = addToolBar(t("Dati"));
  liveData->setObjectName("data");
  lines_ = new QComboBox;
  lines_->setMinimumContentsLength(40);
  lines_->addItem(t("Nomi dei campi"));
  if (live_)
    for (const std::string& line : live_->lines()) lines_->addItem(QString::fromStdString(line));
  connect(lines_, &QComboBox::currentIndexChanged, this,
          [this](int index) { showLine(index <= 0 ? std::nullopt : std::optional<size_t>(index - 1)); });
  liveData->addWidget(lines_);
  labelRow_ = new QSpinBox;
  labelRow_->setPrefix(t("Etichetta") + " ");
  labelRow_->setRange(1, 1);
  labelRow_->setToolTip(t("L'etichetta della riga d'ordine mostrata"));
  connect(labelRow_, &QSpinBox::valueChanged, this, [this](int label) { showLabel(label - 1); });
  liveData->addWidget(labelRow_);
  printer_ = new QComboBox;
  printer_->addItem(t("Come nel PDF"));
  for (const auto& [language, dpi] : kPrinters)
    printer_->addItem(
        QString("%1 %2 dpi")
            .arg(QString::fromStdString(std::string(labelprinter::languageName(language))).toUpper())
            .arg(dpi));
  connect(printer_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index <= 0) return canvas_->setPrinterView(std::nullopt);
    const auto& [language, dpi] = kPrinters[index - 1];
    canvas_->setPrinterView(labelprinter::PrinterSettings{.language = language, .dpi = dpi});
  });
  liveData->addWidget(printer_);

  auto* palette = new FieldPalette;
  palette->setDragEnabled(true);
  palette->setObjectName("fields");
  for (const designer::SupportField& f : designer::supportFields()) {
    auto* item = new QListWidgetItem(t(f.caption), palette);
    item->setData(Qt::UserRole, QByteArray::fromStdString(f.name));
    item->setToolTip(QString::fromStdString(f.name));
  }
  auto* fields = new QDockWidget(t("Campi"), this);
  fields->setObjectName("fieldsDock");
  fields->setWidget(palette);
  addDockWidget(Qt::LeftDockWidgetArea, fields);

  auto* panels = new QWidget;
  auto* column = new QVBoxLayout(panels);
  column->addWidget(buildItemPanel());
  column->addWidget(buildPagePanel());
  column->addStretch();
  auto* panel = new QScrollArea;
  panel->setWidget(panels);
  panel->setWidgetResizable(true);
  auto* properties = new QDockWidget(t("Proprietà"), this);
  properties->setObjectName("propertiesDock");
  properties->setWidget(panel);
  addDockWidget(Qt::RightDockWidgetArea, properties);

  problems_ = new QListWidget;
  problems_->setObjectName("problems");
  auto* errors = new QDockWidget(t("Errori"), this);
  errors->setObjectName("problemsDock");
  errors->setWidget(problems_);
  addDockWidget(Qt::BottomDockWidgetArea, errors);
  resizeDocks({errors}, {80}, Qt::Vertical);
  resizeDocks({fields, properties}, {200, 320}, Qt::Horizontal);
  showSelection();
  updateTitle();
}

QWidget* DesignerWindow::buildItemPanel() {
  const ScreenTexts& t = context_.texts;
  auto* box = new QGroupBox(t("Elemento"));
  auto* form = new QFormLayout(box);
  const char* names[] = {"X (mm)", "Y (mm)", "Larghezza (mm)", "Altezza (mm)"};
  for (int g = 0; g < 4; ++g) {
    geometry_[g] = new QDoubleSpinBox;
    geometry_[g]->setDecimals(2);
    geometry_[g]->setRange(0, 2000);
    geometry_[g]->setSingleStep(0.1);
    form->addRow(t(names[g]), geometry_[g]);
    connect(geometry_[g], &QDoubleSpinBox::editingFinished, this, [this] { applyProperties(); });
  }
  sourceKind_ = new QComboBox;
  for (const char* kind : {"Valore", "Campo", "Formula", "Didascalia", "Composizione"})
    sourceKind_->addItem(t(kind));
  sourceText_ = new QLineEdit;
  font_ = new QLineEdit;
  size_ = new QDoubleSpinBox;
  size_->setRange(0.1, 400);
  shrinkTo_ = new QDoubleSpinBox;
  shrinkTo_->setRange(0, 400);
  shrinkTo_->setSpecialValueText(t("No"));
  bold_ = new QCheckBox;
  italic_ = new QCheckBox;
  align_ = new QComboBox;
  for (const char* a : {"Sinistra", "Centro", "Destra"}) align_->addItem(t(a));
  format_ = new QLineEdit;
  format_->setPlaceholderText("###,##0.000  dd/MM/yyyy");
  collapse_ = new QCheckBox;
  collapse_->setToolTip(t("Vuoto, non occupa spazio: quel che sta sotto sale"));
  rotation_ = new QComboBox;
  for (const int r : report::kRotations) rotation_->addItem(QString("%1°").arg(r));
  symbology_ = new QComboBox;
  for (const char* kind :
       {"Code 128", "EAN-13", "QR Code", "Data Matrix", "GS1-128", "GS1 DataMatrix", "GS1 QR Code"})
    symbology_->addItem(kind);
  showText_ = new QCheckBox;
  thickness_ = new QDoubleSpinBox;
  thickness_->setRange(0.05, 20);
  thickness_->setSingleStep(0.1);
  filled_ = new QCheckBox;
  form->addRow(t("Contenuto"), sourceKind_);
  form->addRow(t("Testo o campo"), sourceText_);
  form->addRow(t("Carattere"), font_);
  form->addRow(t("Dimensione (punti)"), size_);
  form->addRow(t("Riduci fino a (punti)"), shrinkTo_);
  form->addRow(t("Grassetto"), bold_);
  form->addRow(t("Corsivo"), italic_);
  form->addRow(t("Allineamento"), align_);
  form->addRow(t("Formato numeri e date"), format_);
  form->addRow(t("Se vuoto si chiude"), collapse_);
  form->addRow(t("Rotazione"), rotation_);
  form->addRow(t("Tipo di codice"), symbology_);
  form->addRow(t("Testo sotto il codice"), showText_);
  form->addRow(t("Spessore (mm)"), thickness_);
  form->addRow(t("Pieno"), filled_);
  for (QComboBox* c : {sourceKind_, align_, rotation_, symbology_})
    connect(c, &QComboBox::activated, this, [this] { applyProperties(); });
  for (QLineEdit* e : {sourceText_, font_, format_})
    connect(e, &QLineEdit::editingFinished, this, [this] { applyProperties(); });
  for (QDoubleSpinBox* d : {size_, shrinkTo_, thickness_})
    connect(d, &QDoubleSpinBox::editingFinished, this, [this] { applyProperties(); });
  for (QCheckBox* c : {bold_, italic_, collapse_, showText_, filled_})
    connect(c, &QCheckBox::toggled, this, [this] { applyProperties(); });
  return box;
}

QWidget* DesignerWindow::buildPagePanel() {
  const ScreenTexts& t = context_.texts;
  auto* box = new QGroupBox(t("Etichetta"));
  auto* form = new QFormLayout(box);
  const char* names[] = {"Larghezza (mm)",         "Altezza (mm)",          "Margine superiore (mm)",
                         "Margine inferiore (mm)", "Margine sinistro (mm)", "Margine destro (mm)"};
  for (int p = 0; p < 6; ++p) {
    page_[p] = new QDoubleSpinBox;
    page_[p]->setDecimals(2);
    page_[p]->setRange(p < 2 ? 1 : 0, 2000);
    form->addRow(t(names[p]), page_[p]);
    connect(page_[p], &QDoubleSpinBox::editingFinished, this, [this] { applyPage(); });
  }
  sectionHeight_ = new QDoubleSpinBox;
  sectionHeight_->setRange(0, 2000);
  sectionHeight_->setToolTip(t("L'altezza della sezione dell'elemento scelto, o della prima"));
  form->addRow(t("Altezza sezione (mm)"), sectionHeight_);
  connect(sectionHeight_, &QDoubleSpinBox::editingFinished, this, [this] { applyPage(); });
  // Sheets of office labels, by their catalogue's names.
  stock_ = new QComboBox;
  stock_->setEditable(true);
  stock_->addItem(QString());
  for (const report::LabelStock& product : report::labelStockCatalogue().products())
    stock_->addItem(QString::fromStdString(product.name()));
  stock_->setToolTip(t("Fogli di etichette per le stampanti d'ufficio"));
  stock_->completer()->setCompletionMode(QCompleter::PopupCompletion);
  stock_->completer()->setFilterMode(Qt::MatchContains);
  form->addRow(t("Fogli"), stock_);
  connect(stock_, &QComboBox::activated, this, [this] { applyPage(); });
  connect(stock_->lineEdit(), &QLineEdit::editingFinished, this, [this] { applyPage(); });
  return box;
}

size_t DesignerWindow::panelSection() const {
  const std::vector<designer::ItemRef>& chosen = document_->selection();
  return chosen.empty() ? document_->sectionAt(0) : chosen.front().section;
}

void DesignerWindow::applyPage() {
  if (showing_) return;
  const std::string stock = stock_->currentText().trimmed().toStdString();
  // The label's own stock stays as it is written, even where this machine's catalogue lacks it.
  const bool stockChanged = report::stockKey(stock) != report::stockKey(document_->current().page.stock);
  const report::LabelStock* product = report::labelStockCatalogue().find(stock);
  if (stockChanged && !stock.empty() && !product) {
    // A name the catalogue lacks is refused with the closest ones, as a run would refuse it.
    try {
      report::labelStockCatalogue().get(stock);
    } catch (const Error& e) {
      problems_->addItem(QString::fromStdString(e.description()));
    }
    showSelection();
    return;
  }
  const size_t section = panelSection();
  const report::PageSetup before = document_->current().page;
  document_->change([&](report::ReportTemplate& t) {
    report::PageSetup& p = t.page;
    double* fields[] = {&p.width, &p.height, &p.marginTop, &p.marginBottom, &p.marginLeft, &p.marginRight};
    for (int f = 0; f < 6; ++f) *fields[f] = edited(page_[f], *fields[f]);
    // Margins that leave no room would make a template no run can read: they stay as they were.
    if (p.marginLeft + p.marginRight >= p.width || p.marginTop + p.marginBottom >= p.height) p = before;
    // Only labels go onto sheets; a sheet newly chosen keeps the catalogue's spelling of its name
    // and gives the label its labels' size.
    if (stockChanged && p.kind == report::PageKind::Label) {
      p.stock = product ? product->name() : std::string();
      if (product) {
        p.width = product->labelWidth;
        p.height = product->labelHeight;
        if (p.marginLeft + p.marginRight >= p.width || p.marginTop + p.marginBottom >= p.height)
          p.marginTop = p.marginBottom = p.marginLeft = p.marginRight = 0;
      }
    }
    if (!t.sections.empty())
      t.sections.at(section).height = edited(sectionHeight_, t.sections.at(section).height);
  });
  documentChanged();
}

void DesignerWindow::insertImage() {
  const QString file = QFileDialog::getOpenFileName(this, context_.texts("Inserisci immagine"), {},
                                                    context_.texts("Immagini PNG (*.png)"));
  if (file.isEmpty()) return;
  // Kept relative to the template's folder when it lies below it, as templates carry their images.
  const std::filesystem::path folder = document_->current().folder;
  std::filesystem::path path = file.toStdString();
  if (!folder.empty()) {
    const std::filesystem::path relative = std::filesystem::relative(path, folder);
    if (!relative.empty() && !relative.string().starts_with("..")) path = relative;
  }
  addItem(report::ImageItem{0, 0, 20, 20, path.string(), 0, {}});
}

void DesignerWindow::setDocument(std::unique_ptr<designer::DesignDocument> document, std::string origin) {
  // The canvas keeps a reference to the document: it moves to the new one's place.
  if (document_) {
    *document_ = std::move(*document);
  } else {
    document_ = std::move(document);
  }
  origin_ = std::move(origin);
  storedVersion_.reset();
  if (canvas_) {
    canvas_->refresh();
    showSelection();
    updateTitle();
  }
}

bool DesignerWindow::open(const std::string& fileOrName) {
  const ScreenTexts& t = context_.texts;
  problems_->clear();
  std::string text;
  std::string origin = fileOrName;
  std::filesystem::path folder;
  std::optional<int> version;
  std::string name = std::filesystem::path(fileOrName).filename().string();
  std::ifstream in(fileOrName, std::ios::binary);
  if (in) {
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    folder = std::filesystem::path(fileOrName).parent_path();
  } else if (connection_) {
    const std::optional<StoredTemplate> stored =
        TemplateStore(*connection_, context_.company).content(fileOrName, std::nullopt);
    if (!stored) {
      problems_->addItem(t("Modello non trovato: ") + QString::fromStdString(fileOrName));
      return false;
    }
    text = stored->text;
    version = stored->version;
    origin = kDatabasePrefix + fileOrName;
    name = fileOrName;
  } else {
    problems_->addItem(t("Modello non trovato: ") + QString::fromStdString(fileOrName));
    return false;
  }
  try {
    setDocument(std::make_unique<designer::DesignDocument>(text, name, folder), origin);
    storedVersion_ = version;
    updateTitle();
  } catch (const Error&) {
    // Nothing of what is open changes, and nothing is written over.
    for (const std::string& error : designer::templateErrors(text, name, folder))
      problems_->addItem(QString::fromStdString(error));
    return false;
  }
  canvas_->zoomToFit(scroll_->viewport()->size());
  return true;
}

bool DesignerWindow::save() {
  if (origin_.starts_with(kDatabasePrefix))
    return saveToDatabase(origin_.substr(std::string_view(kDatabasePrefix).size()), "");
  if (origin_.empty()) {
    const QString name = QFileDialog::getSaveFileName(this, context_.texts("Salva modello"));
    return !name.isEmpty() && saveAs(name.toStdString());
  }
  return saveAs(origin_);
}

bool DesignerWindow::saveAs(const std::filesystem::path& file) {
  // Images are found from the template's folder: saved into another one, their paths follow.
  const std::filesystem::path to = std::filesystem::absolute(file).parent_path();
  // A new label has no folder: its images were given by their full paths.
  const std::filesystem::path& folder = document_->current().folder;
  const std::filesystem::path from = folder.empty() ? to : std::filesystem::absolute(folder);
  if (from.lexically_normal() != to.lexically_normal())
    document_->change([&](report::ReportTemplate& t) {
      for (report::Section& section : t.sections)
        for (report::TemplateItem& item : section.items)
          if (auto* image = std::get_if<report::ImageItem>(&item))
            image->file = (from / image->file).lexically_normal().lexically_relative(to).string();
    });
  const std::string text = document_->text();
  try {
    report::StagedFile staged(file);
    {
      std::ofstream out(staged.path(), std::ios::binary);
      out << text;
      out.close();
      if (!out) throw Error(err::kInvalidArgument, "Designer", "Cannot write " + file.string());
    }
    staged.commit();
  } catch (const Error& e) {
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(e.description()));
    return false;
  }
  document_->saved(text, to);
  origin_ = file.string();
  updateTitle();
  return true;
}

bool DesignerWindow::saveToDatabase(const std::string& name, const std::string& comment) {
  const ScreenTexts& t = context_.texts;
  const std::string text = document_->text();
  TemplateStore templates(*connection_, context_.company);
  std::optional<int> basedOn = origin_ == kDatabasePrefix + name ? storedVersion_ : std::nullopt;
  try {
    try {
      storedVersion_ = templates.save(name, text, context_.user, comment, basedOn);
    } catch (const TemplateChanged& changed) {
      // Someone saved a newer version meanwhile: theirs stays, and this one may follow it.
      const QString question =
          t("Il modello è stato salvato da un'altra postazione nel frattempo. Salvarlo "
            "come nuova versione?");
      if (QMessageBox::question(this, windowTitle(), question) != QMessageBox::Yes) return false;
      storedVersion_ = templates.save(name, text, context_.user, comment, std::nullopt);
    }
  } catch (const Error& e) {
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(e.description()));
    return false;
  }
  document_->saved(text, document_->current().folder);
  origin_ = kDatabasePrefix + name;
  updateTitle();
  return true;
}

void DesignerWindow::showLine(std::optional<size_t> line) {
  problems_->clear();
  try {
    record_ =
        line && live_ ? live_->labels(*line) : designer::captionRecord([this](const std::string& caption) {
          return context_.texts(caption).toStdString();
        });
  } catch (const Error& e) {
    problems_->addItem(QString::fromStdString(e.description()));
    record_ = designer::captionRecord([](const std::string& caption) { return caption; });
  }
  const int64_t labels = record_ ? record_->recordCount() : 0;
  showing_ = true;
  labelRow_->setRange(1, static_cast<int>(std::max<int64_t>(1, labels)));
  labelRow_->setValue(1);
  labelRow_->setEnabled(labels > 1);
  labelRow_->setSuffix(" " + context_.texts("di") + " " + QString::number(std::max<int64_t>(1, labels)));
  showing_ = false;
  report::RunSettings run;
  run.captions = context_.captions;
  // Field names make no GS1 element strings: their barcodes are sketched.
  run.sketch = !(line && live_);
  // The numbers a run takes from the company's counters, as examples (GS1's example prefix).
  for (int64_t n = 1; n <= labels; ++n) {
    run.labelNumbers[report::kSsccField].push_back(gs1::sscc(0, "0614141", static_cast<uint64_t>(n)));
    run.labelNumbers[report::kSerialField].push_back(std::to_string(n));
  }
  canvas_->setRecord(labels > 0 ? record_.get() : nullptr, run);
  if (line && labels == 0) problems_->addItem(context_.texts("La riga d'ordine non dà etichette"));
  if (!canvas_->problem().isEmpty()) problems_->addItem(canvas_->problem());
}

void DesignerWindow::showLabel(int64_t label) {
  if (showing_ || !record_ || label >= record_->recordCount()) return;
  record_->setAbsolutePosition(label + 1);
  canvas_->refresh();
}

void DesignerWindow::documentChanged() {
  canvas_->refresh();
  problems_->clear();
  if (!canvas_->problem().isEmpty()) problems_->addItem(canvas_->problem());
  showSelection();
  updateTitle();
}

void DesignerWindow::addItem(report::TemplateItem item) {
  document_->add(std::move(item), document_->sectionAt(document_->current().page.marginTop));
  documentChanged();
}

void DesignerWindow::showSelection() {
  showing_ = true;
  const auto& chosen = document_->selection();
  const bool one = chosen.size() == 1;
  const report::TemplateItem* item = one ? &document_->item(chosen.front()) : nullptr;
  const auto* text = item ? std::get_if<report::TextItem>(item) : nullptr;
  const auto* bars = item ? std::get_if<report::BarcodeItem>(item) : nullptr;
  const auto* line = item ? std::get_if<report::LineItem>(item) : nullptr;
  const auto* frame = item ? std::get_if<report::BoxItem>(item) : nullptr;
  const auto* image = item ? std::get_if<report::ImageItem>(item) : nullptr;
  for (QDoubleSpinBox* g : geometry_) g->setEnabled(one);
  sourceKind_->setEnabled(text || bars);
  sourceText_->setEnabled(text || bars);
  rotation_->setEnabled((text && !text->multiline) || bars || image);
  for (QWidget* w :
       std::initializer_list<QWidget*>{font_, size_, shrinkTo_, bold_, italic_, align_, format_, collapse_})
    w->setEnabled(text);
  symbology_->setEnabled(bars);
  showText_->setEnabled(bars);
  thickness_->setEnabled(line || frame);
  filled_->setEnabled(frame);
  if (item) {
    const designer::Box b = designer::boundsOf(*item);
    const double values[] = {b.x, b.y, b.width, b.height};
    for (int g = 0; g < 4; ++g) geometry_[g]->setValue(values[g]);
  }
  if (const report::ValueSource* source = text ? &text->source : (bars ? &bars->source : nullptr)) {
    sourceKind_->setCurrentIndex(static_cast<int>(source->kind));
    sourceText_->setText(QString::fromStdString(source->text));
  }
  if (text || bars || image)
    rotation_->setCurrentIndex((text ? text->rotation : bars ? bars->rotation : image->rotation) / 90);
  if (text) {
    font_->setText(QString::fromStdString(text->font));
    size_->setValue(text->size);
    shrinkTo_->setValue(text->shrinkTo);
    bold_->setChecked(text->bold);
    italic_->setChecked(text->italic);
    align_->setCurrentIndex(static_cast<int>(text->align));
    format_->setText(QString::fromStdString(text->format));
    collapse_->setChecked(text->collapse);
  }
  if (bars) {
    symbology_->setCurrentIndex(static_cast<int>(bars->symbology));
    showText_->setChecked(bars->showText);
  }
  if (line || frame) thickness_->setValue(line ? line->thickness : frame->thickness);
  if (frame) filled_->setChecked(frame->filled);
  const report::ReportTemplate& t = document_->current();
  const double pageValues[] = {t.page.width,        t.page.height,     t.page.marginTop,
                               t.page.marginBottom, t.page.marginLeft, t.page.marginRight};
  for (int p = 0; p < 6; ++p) page_[p]->setValue(pageValues[p]);
  sectionHeight_->setValue(t.sections.empty() ? 0 : t.sections.at(panelSection()).height);
  stock_->setEnabled(t.page.kind == report::PageKind::Label);
  stock_->setCurrentText(QString::fromStdString(t.page.stock));
  showing_ = false;
}

void DesignerWindow::applyProperties() {
  if (showing_ || document_->selection().size() != 1) return;
  const designer::ItemRef ref = document_->selection().front();
  document_->change([&](report::ReportTemplate& t) {
    report::TemplateItem& item = t.sections.at(ref.section).items.at(ref.index);
    const designer::Box b = designer::boundsOf(item);
    designer::setBounds(
        item, {edited(geometry_[0], b.x), edited(geometry_[1], b.y),
               std::max(0.1, edited(geometry_[2], b.width)), std::max(0.1, edited(geometry_[3], b.height))});
    const report::ValueSource source{static_cast<report::ValueSource::Kind>(sourceKind_->currentIndex()),
                                     sourceText_->text().toStdString()};
    const int turn = report::kRotations[std::max(0, rotation_->currentIndex())];
    // A field or formula needs a name; an empty one would make a template no run can read.
    const bool named = source.kind == report::ValueSource::Kind::Literal ||
                       source.kind == report::ValueSource::Kind::Caption || !source.text.empty();
    const bool known = (source.kind != report::ValueSource::Kind::Formula || t.findFormula(source.text)) &&
                       (source.kind != report::ValueSource::Kind::Composed || composes(source.text));
    if (auto* text = std::get_if<report::TextItem>(&item)) {
      if (named && known) text->source = source;
      if (!font_->text().trimmed().isEmpty()) text->font = font_->text().trimmed().toStdString();
      text->size = edited(size_, text->size);
      text->shrinkTo = std::min(edited(shrinkTo_, text->shrinkTo), text->size);
      text->bold = bold_->isChecked();
      text->italic = italic_->isChecked();
      text->align = static_cast<report::Align>(align_->currentIndex());
      text->format = format_->text().toStdString();
      text->collapse = collapse_->isChecked();
      text->rotation = text->multiline ? 0 : turn;
    } else if (auto* bars = std::get_if<report::BarcodeItem>(&item)) {
      if (named && known) bars->source = source;
      bars->symbology = static_cast<report::Symbology>(symbology_->currentIndex());
      bars->showText = showText_->isChecked();
      bars->rotation = turn;
    } else if (auto* line = std::get_if<report::LineItem>(&item)) {
      line->thickness = edited(thickness_, line->thickness);
    } else if (auto* frame = std::get_if<report::BoxItem>(&item)) {
      frame->thickness = edited(thickness_, frame->thickness);
      frame->filled = filled_->isChecked();
    } else if (auto* image = std::get_if<report::ImageItem>(&item)) {
      image->rotation = turn;
    }
  });
  documentChanged();
}

void DesignerWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (fitted_) return;
  fitted_ = true;
  // Once the window has its size, after the layout has placed the docks.
  QTimer::singleShot(0, this, [this] { canvas_->zoomToFit(scroll_->viewport()->size()); });
}

bool DesignerWindow::mayDiscard() {
  if (!document_->modified()) return true;
  const auto answer = QMessageBox::question(
      this, windowTitle(), context_.texts("Il modello ha modifiche non salvate. Chiudere senza salvarle?"),
      QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
  return answer == QMessageBox::Yes;
}

void DesignerWindow::closeEvent(QCloseEvent* event) {
  if (!mayDiscard()) return event->ignore();
  event->accept();
}

void DesignerWindow::updateTitle() {
  const ScreenTexts& t = context_.texts;
  QString origin = t("Nuova etichetta");
  if (origin_.starts_with(kDatabasePrefix)) {
    origin = QString::fromStdString(origin_.substr(std::string_view(kDatabasePrefix).size())) + " (" +
             t("database, versione") + " " + QString::number(storedVersion_.value_or(0)) + ")";
  } else if (!origin_.empty()) {
    origin = QString::fromStdString(std::filesystem::path(origin_).filename().string());
  }
  setWindowTitle(t("Disegno etichette") + " - " + origin + (document_->modified() ? " *" : ""));
}

}  // namespace briskal::hostkit::qt
