#include "hostkit/qt/history_window.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <filesystem>
#include <set>

#include "common/error.h"
#include "hostkit/history/history_recorder.h"
#include "hostkit/history/reprint.h"
#include "hostkit/history/run_snapshot.h"
#include "hostkit/qt/page_view.h"
#include "hostkit/qt/print_boxes.h"
#include "hostkit/qt/qt_control.h"
#include "hostkit/report/destination_kind.h"

namespace briskal::hostkit::qt {
namespace {

// Labels 2, 3, 4 and 7 as "2-4,7".
std::string labelList(const std::vector<int64_t>& labels) {
  std::string text;
  for (size_t i = 0; i < labels.size();) {
    size_t j = i;
    while (j + 1 < labels.size() && labels[j + 1] == labels[j] + 1) ++j;
    if (!text.empty()) text += ',';
    text += std::to_string(labels[i]);
    if (j > i) text += '-' + std::to_string(labels[j]);
    i = j + 1;
  }
  return text;
}

constexpr JobOutcome kOutcomes[] = {JobOutcome::Delivered, JobOutcome::Failed, JobOutcome::Interrupted,
                                    JobOutcome::Cancelled, JobOutcome::Running};

QString outcomeText(JobOutcome outcome, const ScreenTexts& texts) {
  switch (outcome) {
    case JobOutcome::Running: return texts("in corso");
    case JobOutcome::Delivered: return texts("stampato");
    case JobOutcome::Failed: return texts("non riuscito");
    case JobOutcome::Cancelled: return texts("annullato");
    case JobOutcome::Interrupted: return texts("interrotto");
  }
  return {};
}

QString kindText(const std::string& kind, const ScreenTexts& texts) {
  if (kind == "standard") return texts("standard");
  if (kind == "custom") return texts("personalizzabili");
  if (kind == "labelprinter") return texts("stampante di etichette");
  return toQt(kind);
}

}  // namespace

// The labels of a job, each shown with the order line it came from and its data as a person reads
// it, worked out only for the rows in sight: a job of a hundred thousand labels lists at once.
class KeptLabelsModel final : public QAbstractTableModel {
 public:
  KeptLabelsModel(std::vector<PrintedLabel> labels, RunSnapshot snapshot, ScreenTexts texts)
      : labels_(std::move(labels)), snapshot_(std::move(snapshot)), texts_(texts) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(labels_.size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 4; }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const PrintedLabel& label = labels_[static_cast<size_t>(index.row())];
    if (role == Qt::ToolTipRole) {
      // The whole of the label's data, a value a line.
      return index.column() == 3 ? readable(label).replace("; ", "\n").replace(" | ", "\n") : QVariant();
    }
    switch (index.column()) {
      case 0: return index.row() + 1;
      case 1: return toQt(label.order);
      case 2: return toQt(label.line);
      default: return readable(label);
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    static const char* const kHeaders[] = {"Etichetta", "Ordine", "Riga", "Dati"};
    return texts_(kHeaders[section]);
  }

 private:
  QString readable(const PrintedLabel& label) const {
    try {
      return toQt(readableRecord(snapshot_.fields, label.data, snapshot_.regional));
    } catch (const Error& e) {
      return toQt(e.description());
    }
  }

  std::vector<PrintedLabel> labels_;
  RunSnapshot snapshot_;
  ScreenTexts texts_;
};

std::optional<ReprintChoice> askReprint(int64_t job, const ReprintChoice& proposed, QWidget* parent,
                                        ScreenTexts texts) {
  QDialog dialog(parent);
  dialog.setObjectName("ReprintDialog");
  dialog.setWindowTitle(texts("Ristampa del lavoro %1").arg(job));
  auto* labels = new QLineEdit(toQt(proposed.labels), &dialog);
  labels->setObjectName("Labels");
  labels->setPlaceholderText(texts("tutte, oppure per esempio 17-20,25"));
  auto* reason = new QLineEdit(toQt(proposed.reason), &dialog);
  reason->setObjectName("Reason");
  reason->setPlaceholderText(texts("obbligatorio"));
  auto* destination = new QLineEdit(toQt(proposed.destination), &dialog);
  destination->setObjectName("Destination");
  destination->setToolTip(
      texts("Un file .pdf, .png, .txt, .epl o .zpl, una stampante, o una stampante di etichette: tcp://, "
            "ipp://, cups:CODA"));
  auto* form = new QFormLayout;
  form->addRow(texts("&Etichette:"), labels);
  form->addRow(texts("&Motivo:"), reason);
  form->addRow(texts("&Destinazione:"), destination);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(texts("&Ristampa"));
  buttons->button(QDialogButtonBox::Cancel)->setText(texts("Annulla"));
  // A reprint is always kept with its reason, and goes somewhere.
  const auto complete = [=] {
    buttons->button(QDialogButtonBox::Ok)
        ->setEnabled(!reason->text().trimmed().isEmpty() && !destination->text().trimmed().isEmpty());
  };
  QObject::connect(reason, &QLineEdit::textChanged, &dialog, complete);
  QObject::connect(destination, &QLineEdit::textChanged, &dialog, complete);
  complete();
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  dialog.resize(520, dialog.sizeHint().height());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return ReprintChoice{labels->text().trimmed().toStdString(), reason->text().trimmed().toStdString(),
                       destination->text().trimmed().toStdString()};
}

HistoryWindow::HistoryWindow(HistoryContext context, QWidget* parent)
    : QMainWindow(parent), context_(std::move(context)), pages_(1) {
  setObjectName("HistoryWindow");
  const ScreenTexts& texts = context_.texts;
  setWindowTitle(texts("Storico stampe"));
  connection_.setConnectionString(context_.connectionString);
  connection_.setRegionalSettings(context_.regional);
  connection_.open();

  auto* central = new QWidget(this);
  auto* filters = new QHBoxLayout;
  const auto filter = [&](const QString& caption, const char* name, const QString& hint) {
    auto* box = new QLineEdit(central);
    box->setObjectName(name);
    box->setPlaceholderText(hint);
    auto* label = new QLabel(caption, central);
    label->setBuddy(box);
    filters->addWidget(label);
    filters->addWidget(box);
    QObject::connect(box, &QLineEdit::returnPressed, this, [this] { find(); });
    return box;
  };
  since_ = filter(texts("&Dal:"), "Since", texts("AAAA-MM-GG"));
  until_ = filter(texts("&Al:"), "Until", texts("AAAA-MM-GG"));
  user_ = filter(texts("&Utente:"), "User", {});
  order_ = filter(texts("&Ordine:"), "Order", texts("numero di registrazione"));
  outcome_ = new QComboBox(central);
  outcome_->setObjectName("Outcome");
  outcome_->addItem(texts("tutti gli esiti"), -1);
  for (const JobOutcome o : kOutcomes) outcome_->addItem(outcomeText(o, texts), static_cast<int>(o));
  filters->addWidget(outcome_);
  auto* search = new QPushButton(texts("&Cerca"), central);
  search->setObjectName("Find");
  QObject::connect(search, &QPushButton::clicked, this, [this] { find(); });
  filters->addWidget(search);

  jobs_ = new QTableWidget(0, 13, central);
  jobs_->setObjectName("Jobs");
  jobs_->setHorizontalHeaderLabels(
      {texts("Lavoro"), texts("Inizio (UTC)"), texts("Fine (UTC)"), texts("Utente"), texts("Postazione"),
       texts("Tipo"), texts("Destinazione"), texts("Modello"), texts("N. etichette"), texts("Pagine"),
       texts("Esito"), texts("Ristampa di"), texts("Motivo o errore")});
  jobs_->setSelectionBehavior(QAbstractItemView::SelectRows);
  jobs_->setSelectionMode(QAbstractItemView::SingleSelection);
  jobs_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  jobs_->verticalHeader()->hide();
  jobs_->horizontalHeader()->setStretchLastSection(true);
  QObject::connect(jobs_, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
    if (row != previous) chooseJob(row);
  });

  labels_ = new QTableView(central);
  labels_->setObjectName("Labels");
  labels_->setSelectionBehavior(QAbstractItemView::SelectRows);
  labels_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  labels_->verticalHeader()->hide();
  labels_->horizontalHeader()->setStretchLastSection(true);

  auto* previewSide = new QWidget(central);
  auto* previewLayout = new QVBoxLayout(previewSide);
  previewLayout->setContentsMargins(0, 0, 0, 0);
  previewNote_ =
      new QLabel(texts("Scegliere un lavoro e un'etichetta per vederla come è stata stampata."), previewSide);
  previewNote_->setObjectName("PreviewNote");
  previewNote_->setWordWrap(true);
  preview_ = new PageView(pages_, PageView::Fit::Page, texts, previewSide);
  preview_->setObjectName("Preview");
  previewLayout->addWidget(previewNote_);
  previewLayout->addWidget(preview_, 1);
  preview_->hide();  // until a label is drawn

  auto* lower = new QSplitter(Qt::Horizontal, central);
  lower->addWidget(labels_);
  lower->addWidget(previewSide);
  lower->setStretchFactor(0, 3);
  lower->setStretchFactor(1, 2);
  auto* split = new QSplitter(Qt::Vertical, central);
  split->addWidget(jobs_);
  split->addWidget(lower);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);

  reprint_ = new QPushButton(texts("&Ristampa..."), central);
  reprint_->setObjectName("Reprint");
  reprint_->setEnabled(false);
  QObject::connect(reprint_, &QPushButton::clicked, this, [this] { askAndReprint(); });
  auto* actions = new QHBoxLayout;
  actions->addStretch(1);
  actions->addWidget(reprint_);

  auto* layout = new QVBoxLayout(central);
  layout->addLayout(filters);
  layout->addWidget(split, 1);
  layout->addLayout(actions);
  setCentralWidget(central);
  resize(1180, 760);
  find();
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::find() {
  const ScreenTexts& texts = context_.texts;
  static const QRegularExpression day(R"(^\d{4}-\d{2}-\d{2}$)");
  for (QLineEdit* box : {since_, until_}) {
    const QString text = box->text().trimmed();
    if (text.isEmpty() || day.match(text).hasMatch()) continue;
    statusBar()->showMessage(texts("Una data si scrive AAAA-MM-GG, per esempio 2026-12-08"));
    box->setFocus();
    return;
  }
  JobFilter filter;
  filter.sinceUtc = since_->text().trimmed().toStdString();
  filter.untilUtc = until_->text().trimmed().toStdString();
  filter.user = user_->text().trimmed().toStdString();
  filter.order = order_->text().trimmed().toStdString();
  if (const int o = outcome_->currentData().toInt(); o >= 0) filter.outcome = static_cast<JobOutcome>(o);
  filter.limit = 1000;
  try {
    const BusyCursor busy;
    listed_ = PrintHistory(connection_, context_.company).list(filter);
  } catch (const std::exception& e) {
    showPrintFailure(texts("Lo storico delle stampe non può essere letto."), e, texts);
    return;
  }
  const QSignalBlocker quiet(jobs_);
  jobs_->clearContents();
  jobs_->setRowCount(static_cast<int>(listed_.size()));
  for (size_t r = 0; r < listed_.size(); ++r) {
    const PrintJob& j = listed_[r];
    const QString cells[] = {QString::number(j.id),
                             toQt(j.startedUtc),
                             toQt(j.endedUtc),
                             toQt(j.user),
                             toQt(j.workstation),
                             kindText(j.kind, texts),
                             toQt(j.destination),
                             toQt(j.layout),
                             QString::number(j.labels),
                             QString::number(j.pages),
                             outcomeText(j.outcome, texts),
                             j.reprintOf ? QString::number(*j.reprintOf) : QString(),
                             toQt(j.error.empty() ? j.reason : j.error)};
    for (int c = 0; c < static_cast<int>(std::size(cells)); ++c)
      jobs_->setItem(static_cast<int>(r), c, new QTableWidgetItem(cells[c]));
  }
  jobs_->resizeColumnsToContents();
  statusBar()->showMessage(texts("%1 lavori").arg(listed_.size()));
  chooseJob(listed_.empty() ? -1 : 0);
}

void HistoryWindow::chooseJob(int row) {
  const ScreenTexts& texts = context_.texts;
  shown_.reset();
  showLabels(nullptr);
  model_.reset();
  reprint_->setEnabled(false);
  preview_->hide();
  previewNote_->setText(texts("Scegliere un lavoro e un'etichetta per vederla come è stata stampata."));
  if (row < 0 || row >= static_cast<int>(listed_.size())) return;
  if (jobs_->currentRow() != row) {
    const QSignalBlocker quiet(jobs_);
    jobs_->selectRow(row);
  }
  const PrintJob& job = listed_[static_cast<size_t>(row)];
  try {
    const BusyCursor busy;
    PrintHistory history(connection_, context_.company);
    model_ = std::make_unique<KeptLabelsModel>(history.labels(job.id), readSnapshot(job.settings), texts);
  } catch (const std::exception& e) {
    showPrintFailure(texts("Le etichette del lavoro non possono essere lette."), e, texts);
    return;
  }
  shown_ = job;
  showLabels(model_.get());
  for (int column = 0; column < 3; ++column) labels_->resizeColumnToContents(column);
  QObject::connect(labels_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                   [this] { chooseLabels(chosenLabels()); });
  reprint_->setEnabled(model_->rowCount({}) > 0);
  if (model_->rowCount({}) > 0) labels_->selectRow(0);
}

void HistoryWindow::showLabels(QAbstractItemModel* model) {
  // The view makes a selection model for each model it is given, and leaves the old one to its
  // owner.
  QItemSelectionModel* old = labels_->selectionModel();
  labels_->setModel(model);
  if (old) old->deleteLater();
}

std::vector<int64_t> HistoryWindow::chosenLabels() const {
  std::set<int64_t> rows;
  if (labels_->selectionModel())
    for (const QModelIndex& index : labels_->selectionModel()->selectedRows()) rows.insert(index.row() + 1);
  return {rows.begin(), rows.end()};
}

void HistoryWindow::chooseLabels(const std::vector<int64_t>& labels) {
  const ScreenTexts& texts = context_.texts;
  if (!shown_ || labels.empty()) return;
  // The first chosen label is drawn; drawing thousands would keep the operator waiting.
  try {
    std::vector<report::Page> pages = keptPages(connection_, context_.company, shown_->id, {labels.front()});
    if (pages.empty()) return;
    pages_ = std::move(pages);
  } catch (const std::exception& e) {
    previewNote_->setText(texts("L'etichetta non può essere disegnata: %1").arg(toQt(e.what())));
    return;
  }
  previewNote_->setText(labels.size() == 1
                            ? texts("L'etichetta %1 come è stata stampata").arg(labels.front())
                            : texts("L'etichetta %1 come è stata stampata (%2 etichette scelte)")
                                  .arg(labels.front())
                                  .arg(labels.size()));
  preview_->show();
  preview_->pagesReplaced();
}

void HistoryWindow::askAndReprint() {
  if (!shown_) return;
  const std::vector<int64_t> chosen = chosenLabels();
  // All the labels are proposed unless some of them are chosen.
  const bool some = !chosen.empty() && static_cast<int64_t>(chosen.size()) < shown_->labels;
  const std::optional<ReprintChoice> choice =
      askReprint(shown_->id, {some ? labelList(chosen) : std::string(), {}, proposedDestination()}, this,
                 context_.texts);
  if (choice) reprint(*choice);
}

std::string HistoryWindow::proposedDestination() const {
  // A file beside the job's, which the reprint leaves as it is; a printer prints again.
  const report::DestinationKind kind = report::destinationKind(shown_->destination);
  if (!report::isFile(kind)) return shown_->destination;
  const std::filesystem::path file(shown_->destination);
  const std::string again = context_.texts("ristampa").toStdString();
  return (file.parent_path() /
          (file.stem().string() + "-" + again + "-" + std::to_string(shown_->id) + file.extension().string()))
      .string();
}

bool HistoryWindow::reprint(const ReprintChoice& choice) {
  const ScreenTexts& texts = context_.texts;
  if (!shown_) return false;
  ReprintRequest request;
  request.job = shown_->id;
  request.reason = choice.reason;
  request.destination = choice.destination;
  if (!choice.labels.empty()) {
    const std::optional<std::vector<int64_t>> labels = parseLabelList(choice.labels);
    if (!labels) {
      showPrintFailure(
          texts("La ristampa non è riuscita."),
          Error(err::kInvalidArgument, "briskal",
                texts("Le etichette si scrivono come 17-20,25: numeri da 1 e intervalli crescenti")
                    .toStdString()),
          texts);
      return false;
    }
    request.labels = *labels;
  }
  report::Delivery delivery;
  try {
    const BusyCursor busy;
    delivery = hostkit::reprint(
        connection_, context_.company, request,
        *historyRecorder({context_.connectionString, context_.company, context_.user, context_.regional}));
  } catch (const std::exception& e) {
    showPrintFailure(texts("La ristampa non è riuscita."), e, texts);
    find();
    return false;
  }
  const int64_t job = shown_->id;
  find();
  statusBar()->showMessage(texts("Ristampate %1 etichette del lavoro %2: %3")
                               .arg(delivery.labels)
                               .arg(job)
                               .arg(toQt(delivery.destination)));
  return true;
}

}  // namespace briskal::hostkit::qt
