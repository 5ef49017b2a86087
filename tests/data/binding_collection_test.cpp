#include "data/binding_collection.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "test_helpers.h"

namespace briskal::data {
namespace {

// A text box as far as binding sees it.
class FakeTextBox : public Bindable {
 public:
  Value property(std::string_view name) const override {
    auto it = props_.find(std::string(name));
    return it == props_.end() ? Value() : it->second;
  }
  void setProperty(std::string_view name, const Value& value) override { props_[std::string(name)] = value; }
  void setChangeListener(ChangeListener listener) override { listener_ = std::move(listener); }
  // What the user does: type a text.
  void type(const std::string& text) {
    props_["Text"] = Value(text);
    if (listener_) listener_("Text");
  }
  bool listened() const { return static_cast<bool>(listener_); }

 private:
  std::map<std::string, Value> props_;
  ChangeListener listener_;
};

class BindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rs_.appendField("CODE", FieldType::Char, 5, attr::kIsNullable);
    rs_.appendField("QTY", FieldType::Variant, 0, attr::kIsNullable);
    rs_.open();
    for (int i = 0; i < 3; ++i) {
      rs_.addNew();
      rs_.setValue("CODE", Value("C" + std::to_string(i)));
      rs_.setValue("QTY", Value(Decimal(i)));
      rs_.update();
    }
    rs_.moveFirst();
  }
  Recordset rs_;
  FakeTextBox code_, qty_;
};

TEST_F(BindingTest, ControlsFollowTheCurrentRowAndWriteBackAtOnce) {
  BindingCollection bindings;
  bindings.add(code_, "Text", "CODE");
  bindings.add(qty_, "Text", "QTY");
  bindings.setDataSource(&rs_);
  EXPECT_EQ(code_.property("Text"), Value("C0   "));
  rs_.moveNext();
  EXPECT_EQ(qty_.property("Text"), Value(Decimal(1)));
  qty_.type("2,5");
  EXPECT_EQ(rs_.value("QTY"), Value("2,5"));
  // A change made by code shows in the bound control.
  rs_.setValue("CODE", Value("X"));
  EXPECT_EQ(code_.property("Text"), Value("X    "));
  // Bad input is refused with a clear error and the field keeps its value.
  EXPECT_EQ(testing::errorNumber([&] { code_.type("TOOLONG"); }), err::kMultipleStepError);
  EXPECT_EQ(rs_.value("CODE"), Value("X    "));
}

TEST_F(BindingTest, DetachedOrRemovedBindingsWriteNothing) {
  BindingCollection bindings;
  bindings.add(code_, "Text", "CODE");
  bindings.setDataSource(&rs_);
  bindings.setDataSource(nullptr);
  code_.type("ZZ");
  EXPECT_EQ(rs_.value("CODE"), Value("C0   "));
  bindings.setDataSource(&rs_);
  while (bindings.count() > 0) bindings.remove(0);
  EXPECT_FALSE(code_.listened());
  EXPECT_EQ(testing::errorNumber([&] { bindings.add(code_, "Text", "NOPE"); }), 3265);
}

}  // namespace
}  // namespace briskal::data
