#pragma once
// Where Corvane keeps its data. Every path is built from AppFolder() by concatenation, and
// every name inside it is looked up without regard to letter case, so that a folder made as
// "Receive" is the same folder as "RECEIVE/" and files copied from a case-insensitive system
// keep working.

#include <QString>

namespace corvane {

// The data folder, always with a trailing '/':
//  1. $CORVANE_HOME when set;
//  2. the executable's folder when it holds QX.INI (a portable install);
//  3. $XDG_DATA_HOME/corvane/ (default ~/.local/share/corvane/).
QString AppFolder();

// Overrides the resolved folder (tests and the command-line tool); empty restores resolution.
void setAppFolderOverride(const QString& folder);

// Resolves `name` inside `folder` without regard to case. An existing entry whose name
// matches ignoring case is returned (first in sorted order when several do); otherwise
// folder + name as spelled. `name` may hold several '/'-separated components, each resolved in
// turn; a trailing '/' is kept. `folder` must end with '/'.
QString ResolveName(const QString& folder, const QString& name);

// The same relative to AppFolder().
QString AppPath(const QString& name);

QString SendFolder();        // AppFolder + "SEND/"
QString ReceiveFolder();     // AppFolder + "RECEIVE/"
QString CoversFolder();      // AppFolder + "Covers/"
QString SettingsFileName();  // AppFolder + "QX.INI"

// Appends '/' when missing.
QString WithTrailingSlash(const QString& folder);

}  // namespace corvane
