#include "data/binding_collection.h"

#include "common/error.h"

namespace briskal::data {

BindingCollection::~BindingCollection() {
  if (source_) source_->removeListener(this);
  for (auto& b : bindings_) b->control->setChangeListener({});
}

void BindingCollection::add(Bindable& control, std::string property, std::string field) {
  auto binding = std::make_unique<Binding>(Binding{&control, std::move(property), std::move(field)});
  if (source_) {
    binding->fieldIndex = source_->fieldIndex(binding->field);
    if (binding->fieldIndex < 0)
      throw Error(err::kItemNotFound, "BindingCollection",
                  "Item cannot be found in the collection: field " + binding->field);
  }
  listen(*binding);
  if (source_) show(*binding);
  bindings_.push_back(std::move(binding));
}

void BindingCollection::remove(size_t index) {
  if (index >= bindings_.size())
    throw Error(err::kItemNotFound, "BindingCollection", "No binding at position " + std::to_string(index));
  bindings_[index]->control->setChangeListener({});
  bindings_.erase(bindings_.begin() + static_cast<std::ptrdiff_t>(index));
}

void BindingCollection::clear() {
  while (!bindings_.empty()) remove(bindings_.size() - 1);
}

void BindingCollection::listen(Binding& binding) {
  Binding* target = &binding;
  binding.control->setChangeListener(
      [this, target](std::string_view property) { controlChanged(*target, property); });
}

void BindingCollection::setDataSource(Recordset* recordset) {
  if (source_) source_->removeListener(this);
  source_ = recordset;
  if (!source_) return;
  for (auto& b : bindings_) {
    b->fieldIndex = source_->fieldIndex(b->field);
    if (b->fieldIndex < 0)
      throw Error(err::kItemNotFound, "BindingCollection",
                  "Item cannot be found in the collection: field " + b->field);
  }
  source_->addListener(this);
  currentRowChanged();
}

void BindingCollection::show(Binding& binding) {
  Value v;
  if (source_ && source_->isOpen() && !source_->bof() && !source_->eof()) {
    try {
      v = source_->value(static_cast<size_t>(binding.fieldIndex));
    } catch (const Error&) {
      // A deleted current row shows as empty.
    }
  }
  showing_ = true;
  binding.control->setProperty(binding.property, v);
  showing_ = false;
}

void BindingCollection::currentRowChanged() {
  for (auto& b : bindings_) show(*b);
}

void BindingCollection::fieldChanged(size_t field) {
  for (auto& b : bindings_)
    if (b->fieldIndex == static_cast<int>(field)) show(*b);
}

void BindingCollection::controlChanged(Binding& binding, std::string_view property) {
  if (showing_ || !source_ || updateMode_ != kUpdateWhenPropertyChanges || property != binding.property)
    return;
  if (source_->bof() || source_->eof()) return;
  source_->setValue(static_cast<size_t>(binding.fieldIndex), binding.control->property(binding.property));
}

}  // namespace briskal::data
