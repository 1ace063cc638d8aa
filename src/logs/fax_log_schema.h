#pragma once
// Record layouts and index tags of the three fax log tables. Field order is the order in the
// table files; tag order is creation order, so order 1 of each table is its first tag.

#include <QString>
#include <vector>

#include "xbase/field_def.h"
#include "xbase/xbase_table.h"

namespace corvane {

inline const char* const kOutgoingTableName = "QXOUT.DBF";
inline const char* const kIncomingTableName = "QXREC.DBF";
inline const char* const kPhoneBookTableName = "QXPB.DBF";

// Every tag leaves out records marked for deletion.
inline const char* const kNotDeletedCondition = ".not. deleted()";

// Widths the program relies on when it pads or cuts values.
constexpr int kPhoneBookNameWidth = 35;
constexpr int kPhoneBookPhoneWidth = 25;
constexpr int kMaxStoredPages = 99;  // PAGES holds two digits

const std::vector<xbase::FieldDef>& OutgoingFields();
const std::vector<xbase::FieldDef>& IncomingFields();
const std::vector<xbase::FieldDef>& PhoneBookFields();

const std::vector<xbase::TagDef>& OutgoingTags();
const std::vector<xbase::TagDef>& IncomingTags();
const std::vector<xbase::TagDef>& PhoneBookTags();

}  // namespace corvane
