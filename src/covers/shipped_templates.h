#pragma once
// The cover templates that come with Corvane. They are built by tools/covergen through the
// same writer the designer uses, kept in data/covers and compiled into the program.

#include <QStringList>

#include "core/status.h"

namespace corvane {

// The shipped files (resource paths), every file of every template.
QStringList ShippedTemplateFiles();

// Copies the shipped templates into CoversFolder when it holds no template yet (no design or
// render file), creating the folder. A folder that already has templates is left alone.
Status InstallShippedTemplates();

}  // namespace corvane
