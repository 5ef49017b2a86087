#pragma once
// The host's document lookup over the company's order headers and lines. The kinds of document
// are the ones the company has documents of; the user picks a document from those of the kinds
// that stay selected and, when asked, one of its lines.

#include "host/services.h"
#include "hostkit/lookups/company_tables.h"
#include "hostkit/lookups/search_list.h"

namespace briskal::hostkit {

// The host's own name for a kind of document, and the sub-kind its orders are filed under.
struct DocumentKind {
  int32_t type;
  int32_t subKind;
  const char* code;
};
// The kind of `type`; sub-kind 0 and an empty code for a type the host does not name.
DocumentKind documentKind(int32_t type);

class DocumentFinder final : public host::DocumentLookup {
 public:
  explicit DocumentFinder(SearchListDriver screen);

  void setHost(host::Cinterface* host) override { tables_.setHost(host); }
  void onAddNode(AddNodeHandler handler) override { onAddNode_ = std::move(handler); }
  void onSelection(SelectionHandler handler) override { onSelection_ = std::move(handler); }
  bool show(const host::DocumentLookupRequest& request) override;

 private:
  // The kinds of document offered, once the add-node event has selected and left out kinds.
  std::vector<int32_t> offeredTypes(const host::DocumentLookupRequest& request);

  SearchListDriver screen_;
  CompanyTables tables_;
  AddNodeHandler onAddNode_;
  SelectionHandler onSelection_;
};

}  // namespace briskal::hostkit
