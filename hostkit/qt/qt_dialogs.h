#pragma once
// The host's own dialogs on screen: message boxes with the platform's buttons, icon and default
// button, and the search list a filter row opens.

#include <optional>
#include <string>

#include "hostkit/lookups/search_list.h"
#include "hostkit/messages/headless_message_service.h"

class QWidget;

namespace briskal::hostkit::qt {

// The host's own words on its dialogs, in the session's language ("it" or "en").
struct DialogWords {
  const char* ok;
  const char* cancel;
  const char* abort;
  const char* retry;
  const char* ignore;
  const char* yes;
  const char* no;
  const char* search;
};
const DialogWords& dialogWords(const std::string& locale);

// Shows the box over `parent` and returns the platform's answer of the button pressed (closing
// the box answers its stopping button).
int askWithMessageBox(const ShownMessage& message, QWidget* parent, const DialogWords& words);

// Shows the list with a search box over `parent`; the picked row, nullopt when closed without one.
std::optional<size_t> pickFromSearchList(const SearchList& list, QWidget* parent, const DialogWords& words);

}  // namespace briskal::hostkit::qt
