#pragma once
// The text layout being edited: one row per printed field (label row, print sequence within the
// row, caption, data field, start column, caption flag), and the 36-field default layout.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "data/recordset.h"

namespace briskal::params {

// Translates a caption: (default text, text number) -> text in the user's language.
using Translator = std::function<std::string(std::string_view text, int32_t number)>;

// A new, open, empty layout-row recordset with the fields PD45_RIGA, PD45_SEQSTP, PD45_CAMPO,
// PD45_DATAFIELD, PD45_POSINI, PD45_FLGLBLCAMPO, PD45_WIDTH, PD45_HEIGHT.
std::unique_ptr<data::Recordset> newLayoutRows();

// Adds the default layout: every catalogue field once, on its own label row, caption printed.
void addDefaultLayout(data::Recordset& rows, const Translator& translate);

}  // namespace briskal::params
