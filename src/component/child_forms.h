#pragma once
// The selection and save forms, made for the parameter form.

#include "params/child_forms.h"

namespace briskal::component {

params::ChildForms childForms();

}  // namespace briskal::component
