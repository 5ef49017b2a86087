#include "hostkit/qt/qt_dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <map>

#include "hostkit/messages/message_buttons.h"
#include "hostkit/qt/cell_tips.h"

namespace briskal::hostkit::qt {
namespace {

// The platform's answers as Qt's buttons.
QMessageBox::StandardButton qtButton(int answer) {
  static const std::map<int, QMessageBox::StandardButton> buttons = {
      {host::msg::kOk, QMessageBox::Ok},         {host::msg::kCancel, QMessageBox::Cancel},
      {host::msg::kAbort, QMessageBox::Abort},   {host::msg::kRetry, QMessageBox::Retry},
      {host::msg::kIgnore, QMessageBox::Ignore}, {host::msg::kYes, QMessageBox::Yes},
      {host::msg::kNo, QMessageBox::No}};
  const auto it = buttons.find(answer);
  return it == buttons.end() ? QMessageBox::Ok : it->second;
}

QMessageBox::Icon iconOf(int32_t buttons) {
  switch (buttons & 0x70) {
    case host::msg::kCritical: return QMessageBox::Critical;
    case host::msg::kQuestion: return QMessageBox::Question;
    case host::msg::kExclamation: return QMessageBox::Warning;
    case host::msg::kInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// Down in the search box goes on into the list, at its selected row.
class DownIntoList final : public QObject {
 public:
  DownIntoList(QTableWidget* list, QObject* parent) : QObject(parent), list_(list) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Down)
      return false;
    list_->setFocus(Qt::OtherFocusReason);
    return true;
  }

 private:
  QTableWidget* list_;
};

}  // namespace

QString buttonWord(int answer, ScreenTexts texts) {
  switch (answer) {
    case host::msg::kCancel: return texts("Annulla");
    case host::msg::kAbort: return texts("&Interrompi");
    case host::msg::kRetry: return texts("&Riprova");
    case host::msg::kIgnore: return texts("I&gnora");
    case host::msg::kYes: return texts("&Sì");
    case host::msg::kNo: return texts("&No");
    default: return texts("OK");
  }
}

int askWithMessageBox(const ShownMessage& message, QWidget* parent, ScreenTexts texts) {
  // The title is the caption of the form that asks, written in Italian as the forms write it.
  QMessageBox box(iconOf(message.buttons), message.title.empty() ? QString("briskal") : texts(message.title),
                  QString::fromStdString(message.text), QMessageBox::NoButton, parent);
  std::map<QAbstractButton*, int> answers;
  for (const int answer : boxAnswers(message.buttons)) {
    QPushButton* button = box.addButton(qtButton(answer));
    button->setText(buttonWord(answer, texts));
    answers[button] = answer;
  }
  box.setDefaultButton(qtButton(defaultAnswer(message.buttons)));
  box.setEscapeButton(box.button(qtButton(negativeAnswer(message.buttons))));
  box.exec();
  const auto it = answers.find(box.clickedButton());
  return it == answers.end() ? negativeAnswer(message.buttons) : it->second;
}

std::optional<size_t> pickFromSearchList(const SearchList& list, QWidget* parent, ScreenTexts texts) {
  QDialog dialog(parent);
  dialog.setObjectName("SearchList");
  dialog.setWindowTitle(texts(list.title));
  auto* layout = new QVBoxLayout(&dialog);
  auto* search = new QLineEdit(&dialog);
  search->setObjectName("SearchText");
  search->setPlaceholderText(texts("Cerca"));
  search->setClearButtonEnabled(true);
  auto* table = new QTableWidget(&dialog);
  table->setObjectName("SearchRows");
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  table->setItemDelegate(new FullTextTips(table));
  search->installEventFilter(new DownIntoList(table, search));
  table->setColumnCount(static_cast<int>(list.headings.size()));
  QStringList headings;
  for (const std::string& h : list.headings) headings << texts(h);
  table->setHorizontalHeaderLabels(headings);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(texts("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(texts("Annulla"));
  layout->addWidget(search);
  layout->addWidget(table);
  layout->addWidget(buttons);

  std::vector<size_t> shown;
  const auto fill = [&](const QString& typed) {
    shown = narrowedRows(list, typed.toStdString());
    table->setRowCount(static_cast<int>(shown.size()));
    for (int r = 0; r < table->rowCount(); ++r) {
      const std::vector<std::string>& row = list.rows[shown[static_cast<size_t>(r)]];
      for (int c = 0; c < table->columnCount() && c < static_cast<int>(row.size()); ++c)
        table->setItem(r, c, new QTableWidgetItem(QString::fromStdString(row[static_cast<size_t>(c)])));
    }
    if (!shown.empty()) table->selectRow(0);
  };
  fill({});
  table->resizeColumnsToContents();
  QObject::connect(search, &QLineEdit::textChanged, &dialog, fill);
  QObject::connect(table, &QTableWidget::cellDoubleClicked, &dialog, [&dialog] { dialog.accept(); });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  dialog.resize(640, 420);
  search->setFocus();
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const int row = table->currentRow();
  if (row < 0 || row >= static_cast<int>(shown.size())) return std::nullopt;
  return shown[static_cast<size_t>(row)];
}

}  // namespace briskal::hostkit::qt
