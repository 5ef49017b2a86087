#pragma once
// Report templates kept in the company database by name, each save a new version with who saved
// it, from which workstation, when (UTC) and why; one version of each name is the active one, the
// one runs print. Every workstation of the company sees the same templates.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/value.h"

namespace briskal::data {
class Connection;
}

namespace briskal::hostkit {

struct TemplateVersion {
  std::string name;
  int32_t version = 0;
  std::string author;
  std::string workstation;
  std::string savedUtc;  // YYYY-MM-DDTHH:MM:SSZ
  std::string comment;
  bool active = false;
};

// A version's text, as it was saved.
struct StoredTemplate {
  int32_t version = 0;
  std::string text;
};

// A save that started from a version older than the newest: somebody saved in between. Saving
// again from `newest` keeps both.
class TemplateChanged : public Error {
 public:
  TemplateChanged(const TemplateVersion& newest);
  const TemplateVersion& newest() const { return newest_; }

 private:
  TemplateVersion newest_;
};

class TemplateStore {
 public:
  // The templates of `company` on the database `connection` is open on (borrowed). Reading
  // changes nothing: a database without the host's tables has no templates. The first save or
  // activation makes the tables.
  TemplateStore(data::Connection& connection, Value company);

  // The active version of every name, by name.
  std::vector<TemplateVersion> list();
  // Every version of `name`, the newest first; empty for a name never saved.
  std::vector<TemplateVersion> history(const std::string& name);
  // `version` of `name`, or its active version, with its number; nullopt when there is none.
  std::optional<StoredTemplate> content(const std::string& name,
                                        std::optional<int32_t> version = std::nullopt);
  // Adds `content` as the next version of `name` and makes it active; returns its number.
  // `basedOn` is the version the text was made from (none: a new name, or an import that means to
  // add whatever is there); when a newer version exists, throws TemplateChanged and saves nothing.
  int32_t save(const std::string& name, const std::string& content, const std::string& author,
               const std::string& comment, std::optional<int32_t> basedOn);
  // Makes `version` of `name` the active one; throws briskal::Error when there is no such version.
  void activate(const std::string& name, int32_t version);

 private:
  std::vector<TemplateVersion> versions(const std::string& where, const std::vector<Value>& parameters);
  int32_t saveOnce(const std::string& name, const std::string& content, const std::string& author,
                   const std::string& comment, std::optional<int32_t> basedOn);

  // Makes the host's tables before the first write.
  void prepareToWrite();

  data::Connection& connection_;
  Value company_;
  bool present_;  // the host's tables are there
};

}  // namespace briskal::hostkit
