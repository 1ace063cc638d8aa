#include "sending/edit_logic/append_picker.h"

#include <QFileInfo>

#include "core/app_folders.h"

namespace corvane {

QStringList AppendPickerSorts() {
    return {"Sort by Date Sent", "Sort by Subject", "Sort by Recipient"};
}

QString AppendPickerTag(int entry) {
    static const QStringList tags{"DATESENT", "SUBJECT", "RECIPIENT"};
    return tags.value(entry, tags[0]);
}

QString AppendPickerFilter(bool unsentOnly, bool showArchived) {
    if (unsentOnly)
        return showArchived ? "empty(DATESENT)" : "empty(DATESENT) .and. .not. ARCHIVED";
    return showArchived ? QString() : ".not. ARCHIVED";
}

PickedDocument CheckPickedDocument(const QString& faxDoc) {
    const QString name = faxDoc.trimmed();
    if (name.isEmpty()) return {{}, "No Fax document here - only a cover file"};
    // A name that could reach outside SEND/ is no document of this log.
    const QString path = name.contains('/') ? SendFolder() + name : ResolveName(SendFolder(), name);
    if (name.contains('/') || !QFileInfo(path).isFile())
        return {{}, "Oops! That fax file appears to be missing...\r(" + path + ")"};
    return {path, {}};
}

}  // namespace corvane
