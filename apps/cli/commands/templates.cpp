// briskal templates: report templates kept in the company database, by name and version.

#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <sstream>

#include "common/error.h"
#include "component_run.h"
#include "data/connection.h"
#include "hostkit/report/staged_file.h"
#include "hostkit/report/template_parser.h"
#include "hostkit/store/template_store.h"
#include "numbers.h"
#include "options.h"

namespace briskal::cli {
namespace {

struct TemplateArgs {
  std::string name;
  std::string file;
  std::string comment;
  int version = 0;  // 0: the active one
};

void printVersions(const std::vector<hostkit::TemplateVersion>& versions, const GlobalOptions& options) {
  TabularOutput out(std::cout, options.outputFormat(), options.regional());
  out.header({"NAME", "VERSION", "ACTIVE", "AUTHOR", "WORKSTATION", "SAVED_UTC", "COMMENT"});
  for (const hostkit::TemplateVersion& v : versions) {
    const Value row[] = {Value(v.name),   Value(v.version),     Value(v.active ? "*" : ""),
                         Value(v.author), Value(v.workstation), Value(v.savedUtc),
                         Value(v.comment)};
    out.row(row);
  }
  out.finish();
}

std::string readWhole(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw UsageError("cannot read the template " + file);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

int run(const GlobalOptions& options, const std::string& action, const TemplateArgs& args) {
  data::Connection cn;
  openDatabase(cn, options);
  hostkit::TemplateStore store(cn, Value(int32_t{options.company}));
  const std::optional<int32_t> version = args.version > 0 ? std::optional(args.version) : std::nullopt;
  if (action == "list") {
    printVersions(store.list(), options);
  } else if (action == "history") {
    const std::vector<hostkit::TemplateVersion> versions = store.history(args.name);
    if (versions.empty()) throw Error(err::kItemNotFound, "briskal", "There is no template " + args.name);
    printVersions(versions, options);
  } else if (action == "show" || action == "export") {
    const std::optional<hostkit::StoredTemplate> content = store.content(args.name, version);
    if (!content)
      throw Error(err::kItemNotFound, "briskal",
                  "There is no template " + args.name +
                      (version ? " version " + std::to_string(*version) : std::string()));
    if (action == "show") {
      std::cout << content->text;
      requireWritten(std::cout);
    } else {
      hostkit::report::StagedFile out(args.file);
      {
        std::ofstream written(out.path(), std::ios::binary);
        written << content->text;
        if (!written.flush()) throw Error(err::kPathFileAccessError, "briskal", "cannot write " + args.file);
      }
      out.commit();
    }
  } else if (action == "import") {
    const std::string content = readWhole(args.file);
    const std::filesystem::path file(args.file);
    const std::string name = args.name.empty() ? file.stem().string() : args.name;
    // A template that cannot print is refused before it reaches the other workstations.
    hostkit::report::parseTemplate(content, file.filename().string(), file.parent_path());
    const int32_t saved = store.save(name, content, options.user, args.comment, std::nullopt);
    if (!options.quiet)
      std::cerr << "imported " << args.file << " as " << name << " version " << saved << '\n';
  } else {
    store.activate(args.name, args.version);
    if (!options.quiet)
      std::cerr << "template " << args.name << " now prints version " << args.version << '\n';
  }
  return exit_code::kOk;
}

}  // namespace

void addTemplatesCommand(CLI::App& app, GlobalOptions& options, CommandRunner& runner) {
  auto* cmd = app.add_subcommand("templates", "Report templates kept in the database, by name and version");
  cmd->require_subcommand(1);
  auto args = std::make_shared<TemplateArgs>();
  auto bind = [&options, &runner, args](CLI::App* sub, const std::string& action) {
    sub->callback([&options, &runner, args, action] {
      runner = [&options, args, action] { return run(options, action, *args); };
    });
  };
  const auto name = [args](CLI::App* sub) {
    sub->add_option("NAME", args->name, "Template name")->required();
  };
  const auto versionOption = [args](CLI::App* sub) {
    sub->add_option("--version", args->version, "Version (the active one when not given)")
        ->type_name("V")
        ->check(wholeNumber(1, 999999));
  };
  bind(cmd->add_subcommand("list", "The templates, each at its active version"), "list");
  auto* show = cmd->add_subcommand("show", "A template's text");
  name(show);
  versionOption(show);
  bind(show, "show");
  auto* import = cmd->add_subcommand("import", "Store a template file as the next version of its name");
  import->add_option("FILE", args->file, "The template file")->required();
  import->add_option("--name", args->name, "The name (the file's name without its extension by default)");
  import->add_option("--comment", args->comment, "Why this version");
  bind(import, "import");
  auto* exportTo = cmd->add_subcommand("export", "Write a template's text to a file");
  name(exportTo);
  versionOption(exportTo);
  exportTo->add_option("--out", args->file, "The file to write")->required();
  bind(exportTo, "export");
  auto* history = cmd->add_subcommand("history", "Every version of a template, the newest first");
  name(history);
  bind(history, "history");
  auto* activate = cmd->add_subcommand("activate", "Make a version the one runs print");
  name(activate);
  activate->add_option("VERSION", args->version, "The version")->required()->check(wholeNumber(1, 999999));
  bind(activate, "activate");
}

}  // namespace briskal::cli
