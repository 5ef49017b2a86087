#pragma once
// The host's own dialogs on screen: message boxes with the platform's buttons, icon and default
// button, and the search list a filter row opens.

#include <optional>

#include "hostkit/lookups/search_list.h"
#include "hostkit/messages/headless_message_service.h"
#include "hostkit/qt/screen_texts.h"

class QWidget;

namespace briskal::hostkit::qt {

// The word on a message box's button for one of the platform's answers.
QString buttonWord(int answer, ScreenTexts texts);

// Shows the box over `parent` and returns the platform's answer of the button pressed (closing
// the box answers its stopping button).
int askWithMessageBox(const ShownMessage& message, QWidget* parent, ScreenTexts texts);

// Shows the list with a search box over `parent`; the picked row, nullopt when closed without one.
std::optional<size_t> pickFromSearchList(const SearchList& list, QWidget* parent, ScreenTexts texts);

}  // namespace briskal::hostkit::qt
