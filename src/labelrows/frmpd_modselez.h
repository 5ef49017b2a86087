#pragma once
// The selection form: it receives the order-line query and the layout from the parameter form,
// and will show the order lines expanded into label rows. When it closes it raises
// CloseFormModSelez, which the parameter form handles.

#include <functional>
#include <memory>
#include <string>

#include "host/component_form.h"

namespace briskal::data {
class Connection;
class Recordset;
}  // namespace briskal::data

namespace briskal::params {
class FRMPD_BRISKAL;
}

namespace briskal::labelrows {

class FRMPD_MODSELEZ final : public host::ComponentForm {
 public:
  explicit FRMPD_MODSELEZ(host::HostRuntime& runtime);
  ~FRMPD_MODSELEZ() override;

  // The inputs the parameter form hands over, in this order, before showing the form.
  void setConnectionAdo(data::Connection* connection) { connection_ = connection; }
  void setConnectionString(const std::string& text) { connectionString_ = text; }
  void setLogObject(std::shared_ptr<host::LogService> log) { setLog(std::move(log)); }
  void setStringaRigaOrd(const std::string& sql) { stringaRigaOrd_ = sql; }
  const std::string& StringaRigaOrd() const { return stringaRigaOrd_; }
  void setRsetSelezione(data::Recordset* layout) { rsetSelezione_ = layout; }
  void setCallingForm(params::FRMPD_BRISKAL* form) { callingForm_ = form; }

  // The event CloseFormModSelez.
  void onCloseFormModSelez(std::function<void()> handler) { closeHandler_ = std::move(handler); }

 protected:
  void Form_QueryUnload(int& cancel, int mode) override;
  Value publicProperty(std::string_view name) const override;
  data::Connection* errorConnection() override { return connection_; }

 private:
  data::Connection* connection_ = nullptr;
  std::string connectionString_;
  std::string stringaRigaOrd_;
  data::Recordset* rsetSelezione_ = nullptr;
  params::FRMPD_BRISKAL* callingForm_ = nullptr;
  std::function<void()> closeHandler_;
};

}  // namespace briskal::labelrows
