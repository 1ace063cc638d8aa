#pragma once
// Open fax logs in a fresh data folder, scripted message boxes and dialogs, and helpers that
// add records and fax files: the ground the log command and window tests stand on.

#include <gtest/gtest.h>

#include <QDir>
#include <deque>
#include <functional>
#include <optional>

#include "core/app_folders.h"
#include "core/message_boxes.h"
#include "fixtures/temp_home.h"
#include "logs/fax_data_module.h"
#include "logwindow/log_commands.h"

namespace corvane::testing {

class ScriptedLogDialogs : public LogDialogs {
  public:
    std::deque<std::optional<DeleteWhat>> deleteAnswers;
    int deleteAsked = 0;
    std::optional<std::pair<QString, QString>> notesAnswer;  // nothing: Cancel
    std::pair<QString, QString> notesShown;
    std::deque<QList<FindField>> findAnswers;  // an empty list stands for Cancel
    std::function<bool(ForwardOrCloneRequest&)> onForwardOrClone;
    std::vector<ForwardOrCloneRequest> requests;
    int beeps = 0;

    std::optional<DeleteWhat> askDeleteWhat() override {
        ++deleteAsked;
        if (deleteAnswers.empty()) return std::nullopt;
        auto a = deleteAnswers.front();
        deleteAnswers.pop_front();
        return a;
    }
    bool editReceiveNotes(QString& from, QString& notes) override {
        notesShown = {from, notes};
        if (!notesAnswer) return false;
        from = notesAnswer->first;
        notes = notesAnswer->second;
        return true;
    }
    std::optional<QList<FindField>> askFind(LogPage) override {
        if (findAnswers.empty()) return std::nullopt;
        QList<FindField> a = findAnswers.front();
        findAnswers.pop_front();
        if (a.isEmpty()) return std::nullopt;
        return a;
    }
    bool forwardOrClone(ForwardOrCloneRequest& request) override {
        const bool ok = onForwardOrClone && onForwardOrClone(request);
        requests.push_back(request);
        return ok;
    }
    void beep() override { ++beeps; }
};

// A data folder with both logs open in their first index order.
struct OpenLogs {
    TempHome home;
    ScopedScriptedMessageBoxes boxes;
    TFDM fdm;
    MainScreenState state;
    ScriptedLogDialogs dialogs;
    LogCommands commands{fdm, state, dialogs};

    OpenLogs() {
        QDir().mkpath(AppFolder() + "SEND");
        QDir().mkpath(AppFolder() + "Receive");
        fdm.OpenFaxLogs();
        fdm.FaxTable.setOrder(fdm.FaxTable.tagArea("DATESENT"));
        fdm.RecTable.setOrder(fdm.RecTable.tagArea("DATETIME"));
    }

    uint32_t addOutgoing(const QString& subject, const QString& doc = {}, const QString& cover = {},
                         const QString& recipient = "Acme Ltd", const QString& phone = "555 0100") {
        OutgoingFaxFields f;
        f.subject = subject;
        f.faxDoc = doc;
        f.faxCover = cover;
        f.recipient = recipient;
        f.phone = phone;
        EXPECT_TRUE(fdm.AppendOutgoingFax(f));
        return fdm.FaxTable.recNo();
    }
    uint32_t addIncoming(const QString& from, const QString& file, int day = 1) {
        ReceivedFaxFields f;
        f.date = QDate(2026, 3, day);
        f.time = "10:15";
        f.from = from;
        f.pages = 1;
        f.faxFile = file;
        EXPECT_TRUE(fdm.AppendReceivedFax(f));
        return fdm.RecTable.recNo();
    }
    QString send(const QString& name) const { return AppFolder() + "SEND/" + name; }
    QString received(const QString& name) const { return AppFolder() + "Receive/" + name; }
};

// An APF file of `pages` coded pages that decode.
void WriteApf(const QString& path, int pages);

}  // namespace corvane::testing
