#include "logs/fax_log_schema.h"

namespace corvane {

using xbase::FieldDef;
using xbase::TagDef;

const std::vector<FieldDef>& OutgoingFields() {
    static const std::vector<FieldDef> fields = {
        {"SUBJECT", 'C', 50, 0, 0},   {"DATESENT", 'D', 8, 0, 0},  {"TIMESENT", 'C', 5, 0, 0},
        {"RECIPIENT", 'C', 35, 0, 0}, {"PHONE", 'C', 25, 0, 0},    {"LASTRESULT", 'C', 100, 0, 0},
        {"FAXDOC", 'C', 12, 0, 0},    {"FAXCOVER", 'C', 12, 0, 0}, {"NOTES", 'C', 50, 0, 0},
        {"CODES", 'C', 25, 0, 0},     {"ARCHIVED", 'L', 1, 0, 0},
    };
    return fields;
}

const std::vector<FieldDef>& IncomingFields() {
    static const std::vector<FieldDef> fields = {
        {"DATEREC", 'D', 8, 0, 0},  {"TIMEREC", 'C', 5, 0, 0},  {"FROM", 'C', 20, 0, 0},
        {"PAGES", 'N', 2, 0, 0},    {"FAXFILE", 'C', 12, 0, 0}, {"NOTES", 'C', 60, 0, 0},
        {"ARCHIVED", 'L', 1, 0, 0},
    };
    return fields;
}

const std::vector<FieldDef>& PhoneBookFields() {
    static const std::vector<FieldDef> fields = {
        {"NAME", 'C', kPhoneBookNameWidth, 0, 0},
        {"PHONE", 'C', kPhoneBookPhoneWidth, 0, 0},
    };
    return fields;
}

const std::vector<TagDef>& OutgoingTags() {
    static const std::vector<TagDef> tags = {
        {"DATESENT", "DTOS(DATESENT)+TIMESENT", kNotDeletedCondition, false, true},
        {"SUBJECT", "UPPER(SUBJECT)", kNotDeletedCondition, false, false},
        {"RECIPIENT", "UPPER(RECIPIENT)", kNotDeletedCondition, false, false},
        {"CODES", "UPPER(CODES)", kNotDeletedCondition, false, false},
        {"ARCHIVED", "ARCHIVED", kNotDeletedCondition, false, false},
        {"DATEND", "DTOS(DATESENT)+TIMESENT", kNotDeletedCondition, false, false},
        {"UPHONE", "PHONE", kNotDeletedCondition, true, false},
        {"URECIP", "UPPER(RECIPIENT)", kNotDeletedCondition, true, false},
    };
    return tags;
}

const std::vector<TagDef>& IncomingTags() {
    static const std::vector<TagDef> tags = {
        {"DATETIME", "DTOS(DATEREC)+TIMEREC", kNotDeletedCondition, false, true},
        {"FROM", "UPPER(FROM)", kNotDeletedCondition, false, true},
        {"ARCHIVED", "ARCHIVED", kNotDeletedCondition, false, false},
        {"DATEND", "DTOS(DATEREC)+TIMEREC", kNotDeletedCondition, false, false},
        {"UFROM", "UPPER(FROM)", kNotDeletedCondition, true, true},
    };
    return tags;
}

const std::vector<TagDef>& PhoneBookTags() {
    static const std::vector<TagDef> tags = {
        {"NAME", "UPPER(NAME)", kNotDeletedCondition, false, false},
    };
    return tags;
}

}  // namespace corvane
