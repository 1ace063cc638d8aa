#pragma once
// Small tables for engine tests.

#include <QString>
#include <QTemporaryDir>
#include <ostream>
#include <string>
#include <vector>

#include "core/xbase/xbase_table.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace corvane::xbase::testing {

// NAME C(20), CITY C(10), BORN D, SCORE N(5,1), ACTIVE L
inline std::vector<FieldDef> PeopleFields() {
    return {{"NAME", 'C', 20, 0, 0},
            {"CITY", 'C', 10, 0, 0},
            {"BORN", 'D', 8, 0, 0},
            {"SCORE", 'N', 5, 1, 0},
            {"ACTIVE", 'L', 1, 0, 0}};
}

inline void AddPerson(XbaseTable& t, const QString& name, const QString& city,
                      const QString& bornYyyymmdd = {}, double score = 0, bool active = false) {
    t.appendBlank();
    t.replaceText("NAME", name);
    t.replaceText("CITY", city);
    if (!bornYyyymmdd.isEmpty()) t.replaceText("BORN", bornYyyymmdd);
    t.replaceNumber("SCORE", score);
    t.replaceLogical("ACTIVE", active);
}

// Names of the visible records in the current order, from the top.
inline std::vector<std::string> Names(XbaseTable& t, const char* field = "NAME") {
    std::vector<std::string> names;
    for (bool ok = t.goTop(); ok; ok = t.skip(1)) names.push_back(t.fieldText(field).toStdString());
    return names;
}

inline std::vector<std::string> NamesBackwards(XbaseTable& t) {
    std::vector<std::string> names;
    for (bool ok = t.goBottom(); ok; ok = t.skip(-1))
        names.push_back(t.fieldText("NAME").toStdString());
    return names;
}

}  // namespace corvane::xbase::testing
