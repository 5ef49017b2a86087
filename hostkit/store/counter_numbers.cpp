#include "hostkit/store/counter_numbers.h"

#include "data/connection.h"
#include "hostkit/store/counters.h"

namespace briskal::hostkit {
namespace {

// A run's numbers, with the connection they are recorded on until the run ends.
class CounterLease final : public report::NumberLease {
 public:
  CounterLease(const CounterSetup& setup, const std::vector<std::string>& fields, int64_t labels,
               report::LabelNumbers& numbers)
      : counters_(connection_, setup.company) {
    connection_.setConnectionString(setup.connectionString);
    connection_.open();
    taken_ = counters_.take(fields, labels, setup.user);
    for (const Counters::Taken::Block& b : taken_->blocks()) {
      std::vector<std::string>& texts = numbers[b.counter.name];
      texts.clear();
      texts.reserve(static_cast<size_t>(b.count));
      for (int64_t n = b.first; n < b.first + b.count; ++n) texts.push_back(numberText(b.counter, n));
    }
  }

  void printed() override { taken_->printed(); }

 private:
  data::Connection connection_;
  Counters counters_;
  std::unique_ptr<Counters::Taken> taken_;
};

class CounterNumbers final : public report::NumberSource {
 public:
  explicit CounterNumbers(CounterSetup setup) : setup_(std::move(setup)) {}

  std::unique_ptr<report::NumberLease> take(const std::vector<std::string>& fields, int64_t labels,
                                            report::LabelNumbers& numbers) override {
    if (labels <= 0) {
      for (const std::string& field : fields) numbers[field].clear();
      return nullptr;
    }
    return std::make_unique<CounterLease>(setup_, fields, labels, numbers);
  }

 private:
  CounterSetup setup_;
};

}  // namespace

std::shared_ptr<report::NumberSource> counterNumbers(CounterSetup setup) {
  return std::make_shared<CounterNumbers>(std::move(setup));
}

}  // namespace briskal::hostkit
