#pragma once
// Both fax logs open in a fresh data folder, with helpers that add records the way the
// program leaves them (sent or not, archived or not, with their fax files).

#include <QDate>
#include <QString>

#include "core/message_boxes.h"
#include "fixtures/temp_home.h"
#include "logs/fax_data_module.h"

namespace corvane::testing {

struct OutgoingRecord {
    QString subject = "Quote";
    QDate sent;  // invalid: not sent
    QString time;
    QString recipient = "Acme Ltd";
    QString phone = "555 0100";
    QString doc, cover;
    bool archived = false;
    QString notes, codes, lastResult;
};

struct IncomingRecord {
    QString from = "ACME";
    QDate date = QDate(2024, 2, 10);
    QString time = "10:15";
    QString file;
    QString notes;
    bool archived = false;
};

struct LogsInHome {
    TempHome home;
    ScopedScriptedMessageBoxes boxes;
    TFDM fdm;

    LogsInHome();
    uint32_t add(const OutgoingRecord& r);
    uint32_t add(const IncomingRecord& r);
    QString send(const QString& name) const;
    QString received(const QString& name) const;
};

}  // namespace corvane::testing
