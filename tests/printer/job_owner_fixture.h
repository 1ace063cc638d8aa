#pragma once
// A real, unprivileged account for the tests that run the corvane-fax backend as CUPS does
// (as root, for a job of another user): created with useradd for the test program's run and
// removed with userdel at its end. Its home is a fresh folder under /tmp holding a Corvane
// data folder (QXOUT.DBF, SEND/) and the hand-over file ~/.config/corvane/QXPD.INI that points
// at it. Only root can do this; without root `available()` is false and the tests skip.

#include <sys/types.h>

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace corvane::testing {

class JobOwnerAccount {
  public:
    JobOwnerAccount();
    ~JobOwnerAccount();
    JobOwnerAccount(const JobOwnerAccount&) = delete;
    JobOwnerAccount& operator=(const JobOwnerAccount&) = delete;

    bool available() const { return !name_.isEmpty(); }
    QString whyNot() const { return whyNot_; }
    QString name() const { return name_; }
    uid_t uid() const { return uid_; }
    gid_t gid() const { return gid_; }
    QString home() const { return home_; }  // no trailing '/'
    QString dataFolder() const { return home_ + "/corvane/"; }
    QString sendFolder() const { return dataFolder() + "SEND/"; }
    QString handOverFile() const { return home_ + "/.config/corvane/QXPD.INI"; }

    // Empties the home and sets up the data folder and the hand-over file afresh, all owned
    // by the account.
    void reset();
    // Gives `path` (and what is below it) to the account.
    void chown(const QString& path) const;

  private:
    QString base_, name_, home_, whyNot_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
};

struct BackendRun {
    int exitCode = -1;
    QString log;  // what the backend wrote to stderr: the CUPS job log
};

// The backend binary of this build tree.
QString BackendProgram();
// Runs the backend as cupsd does: argv job-id user title copies options [file], a small
// environment of CUPS's variables plus `extra`, the document on stdin when no file is given.
BackendRun RunBackend(const QStringList& args, const QByteArray& stdinBytes = QByteArray(),
                      const QProcessEnvironment& extra = QProcessEnvironment());

}  // namespace corvane::testing
