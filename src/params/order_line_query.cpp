#include "params/order_line_query.h"

#include <string_view>

#include "common/routines.h"

namespace briskal::params {
namespace {

// Every occurrence of `find`, case-sensitively, outside the string literals: a value typed in a
// filter stays as it was typed, even when it reads like a column's name. A doubled quote inside a
// literal closes and reopens it, which leaves it inside.
std::string replaceOutsideLiterals(std::string_view text, std::string_view find, std::string_view with) {
  std::string result;
  result.reserve(text.size());
  bool quoted = false;
  for (size_t pos = 0; pos < text.size();) {
    if (text[pos] == '\'') quoted = !quoted;
    if (!quoted && text.substr(pos, find.size()) == find) {
      result += with;
      pos += find.size();
    } else {
      result += text[pos++];
    }
  }
  return result;
}

}  // namespace

std::string composeOrderLineQuery(const OrderLineQueryOptions& o) {
  std::string sql = "SELECT * FROM VDO11_BRISKAL";
  sql += " LEFT OUTER JOIN VFILTROSTATI AS VS_DO11 WITH (NOLOCK) ON DO11_GUID = VS_DO11.V_GUID ";
  sql += " LEFT OUTER JOIN VFILTROSTATI AS VS_DO30 WITH (NOLOCK) ON DO30_GUID = VS_DO30.V_GUID ";
  sql += " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_PRO WITH (NOLOCK) ON PD68_GUID = CO5L_PRO.CO5L_GUID ";
  sql += " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_DOT WITH (NOLOCK) ON DO11_GUID = CO5L_DOT.CO5L_GUID ";
  sql += " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_DOC WITH (NOLOCK) ON DO11_GUID = CO5L_DOC.CO5L_GUID ";
  sql += " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_NOD WITH (NOLOCK) ON PD0C_GUID = CO5L_NOD.CO5L_GUID ";
  const std::string filter = o.filterText;
  sql += " WHERE DO11_DITTA_CG18 = " + o.company + " ";
  if (o.residualOnly == 0) sql += o.firstUnit == 1 ? " AND QTAORD1 > 0 " : " AND QTAORD2 > 0 ";
  if (o.settled == 0) sql += " AND ISNULL(DO31_FLGNONPIUEV,0) = 0 ";
  sql += " AND DO11_TIPODOC = " + o.orderType;
  if (!Trim(filter).empty()) {
    std::string rewritten = replaceOutsideLiterals(filter, "TORDCLI.DO11_CLIFOR_CG44", "TORIG_CODCLIFOR");
    rewritten = replaceOutsideLiterals(rewritten, "TORDCLI.DO11_SEZDOC", "TORIG_SEZDOC");
    rewritten = replaceOutsideLiterals(rewritten, "TORDCLI.DO11_NUMDOC", "TORIG_NUMDOC");
    rewritten = replaceOutsideLiterals(rewritten, "TORDCLI.DO11_DATADOC", "TORIG_DATADOC");
    sql += " AND";
    sql += " ";
    sql += rewritten;
  }
  sql += " ORDER BY DO30_NUMREG_CO99, DO30_PROGRIGA, DO46_PROGDET ";
  return sql;
}

}  // namespace briskal::params
