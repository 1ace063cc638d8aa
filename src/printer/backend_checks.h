#pragma once
// The rules that decide whether the corvane-fax backend may hand a job to a user's Corvane.
// CUPS runs the backend as root; it writes nothing as root. It looks up the job's owner,
// becomes that user, and only then reads the user's hand-over file and writes into the one
// folder it names, after checking that the folder is the user's own Corvane SEND folder.
// docs/printer.md lists the rules with the message each refusal leaves in the job log.

#include <sys/types.h>

#include <QString>

#include "core/status.h"

namespace corvane {

struct JobOwner {
    QString name;
    uid_t uid = 0;
    gid_t gid = 0;
    QString home;
};

// The job's owner from the system's accounts. Refuses an unknown user and root.
Result<JobOwner> LookUpJobOwner(const QString& user);

// Becomes `owner` for good (groups, group, user). Fails when the process cannot (not root
// and not already that user) or when root could be regained afterwards.
Status BecomeJobOwner(const JobOwner& owner);

// The owner's hand-over file: ~/.config/corvane/QXPD.INI from the home in the account.
QString HandOverFileOf(const JobOwner& owner);

// The folder named by the hand-over file's QXOutPath, once every rule holds: the file is a
// regular file of the owner; the folder is absolute, a real folder reached without symbolic
// links, the owner's, not writable by others, named SEND, inside a Corvane data folder (its
// parent holds QXOUT.DBF). Runs as the owner.
Result<QString> JobFolderOf(const JobOwner& owner);

// The largest document taken: $CORVANE_FAX_MAX_JOB_BYTES when set (cupsd.conf SetEnv), else
// 256 MiB.
qint64 MaxJobBytes();

}  // namespace corvane
