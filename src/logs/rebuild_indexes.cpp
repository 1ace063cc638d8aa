#include "logs/rebuild_indexes.h"

#include <QFile>

#include "logs/fax_data_module.h"
#include "logs/fax_log_schema.h"

namespace corvane {

using xbase::XbaseTable;

void RebuildIndexes::status(const QString& text) const {
    if (onStatus) onStatus(text);
}

void RebuildIndexes::gauge(int percent) const {
    if (onGauge) onGauge(percent);
}

bool RebuildIndexes::run(TFDM& fdm) {
    struct Step {
        XbaseTable& table;
        const std::vector<xbase::TagDef>& tags;
        const char* removing;
        const char* rebuilding;
    };
    auto packAndTag = [&](const Step& s) {
        XbaseTable& t = s.table;
        if (!t.isOpen()) return false;
        t.setProgress([this](int p) { gauge(p); });
        const int order = t.indexOrd();
        t.closeIndexes();
        QFile::remove(XbaseTable::indexPathFor(t.path()));
        status(s.removing);
        gauge(0);
        bool ok = t.pack().ok();
        gauge(0);
        status(s.rebuilding);
        for (const xbase::TagDef& tag : s.tags) ok = t.createTag(tag).ok() && ok;
        t.setOrder(order);
        t.setProgress(nullptr);
        return ok;
    };
    bool ok =
        packAndTag({fdm.FaxTable, OutgoingTags(), "Removing FAX file records marked for deletion",
                    "Rebuilding FAX file indexes"});
    ok = packAndTag({fdm.RecTable, IncomingTags(),
                     "Removing RECEIVE file records marked for deletion",
                     "Rebuilding RECEIVE file indexes"}) &&
         ok;
    if (fdm.OpenPhoneBook(true)) {
        packAndTag({fdm.PhoneTable, PhoneBookTags(),
                    "Removing PHONE file records marked for deletion",
                    "Rebuilding PHONE file indexes"});
        fdm.PhoneTable.setOrder(fdm.PhoneTable.tagArea("NAME"));
        fdm.ClosePhoneBook();
    }
    return ok;
}

}  // namespace corvane
