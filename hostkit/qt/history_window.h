#pragma once
// The print history on screen: the jobs of the company found by dates, user, order and outcome,
// newest first; the labels of the chosen job with the order line each came from; the chosen labels
// drawn as they printed; and a reprint of the job, or of the chosen labels, with its reason.

#include <QDialog>
#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/regional.h"
#include "common/value.h"
#include "data/connection.h"
#include "hostkit/qt/screen_texts.h"
#include "hostkit/report/drawing.h"
#include "hostkit/store/print_history.h"

class QAbstractItemModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;

namespace briskal::hostkit::qt {

class PageView;
class KeptLabelsModel;

struct HistoryContext {
  std::string connectionString;
  Value company;
  std::string user;
  RegionalSettings regional = RegionalSettings::italian();
  ScreenTexts texts;
};

// What a reprint is asked for: its labels as typed, its reason and where it goes.
struct ReprintChoice {
  std::string labels;  // empty: all
  std::string reason;
  std::string destination;
};

// Asks for a reprint's labels, reason and destination; the reason cannot be left empty. None
// when the operator cancels.
std::optional<ReprintChoice> askReprint(int64_t job, const ReprintChoice& proposed, QWidget* parent,
                                        ScreenTexts texts);

class HistoryWindow final : public QMainWindow {
 public:
  // Throws briskal::Error when the database cannot be opened.
  explicit HistoryWindow(HistoryContext context, QWidget* parent = nullptr);
  ~HistoryWindow() override;

  // Lists the jobs the filters find.
  void find();
  // Chooses the `row`-th job listed (from 0) and shows its labels.
  void chooseJob(int row);
  // Chooses labels of the job shown (from 1) and draws them as they printed.
  void chooseLabels(const std::vector<int64_t>& labels);
  // Reprints as `choice` says; false, with the cause shown, when it did not.
  bool reprint(const ReprintChoice& choice);

  QLineEdit* sinceBox() { return since_; }
  QLineEdit* untilBox() { return until_; }
  QLineEdit* userBox() { return user_; }
  QLineEdit* orderBox() { return order_; }
  QComboBox* outcomeBox() { return outcome_; }
  QTableWidget* jobTable() { return jobs_; }
  QTableView* labelTable() { return labels_; }
  PageView* preview() { return preview_; }
  const std::vector<PrintJob>& jobsListed() const { return listed_; }

 private:
  void askAndReprint();
  void showLabels(QAbstractItemModel* model);
  // The labels chosen in the label table, from 1.
  std::vector<int64_t> chosenLabels() const;
  // Where a reprint of the job shown is proposed to go.
  std::string proposedDestination() const;

  HistoryContext context_;
  data::Connection connection_;
  std::vector<PrintJob> listed_;
  std::optional<PrintJob> shown_;  // the job whose labels are listed
  QLineEdit* since_;
  QLineEdit* until_;
  QLineEdit* user_;
  QLineEdit* order_;
  QComboBox* outcome_;
  QTableWidget* jobs_;
  QTableView* labels_;
  std::unique_ptr<KeptLabelsModel> model_;
  std::vector<report::Page> pages_;  // the preview's, never empty
  PageView* preview_;
  QLabel* previewNote_;
  QPushButton* reprint_;
};

}  // namespace briskal::hostkit::qt
