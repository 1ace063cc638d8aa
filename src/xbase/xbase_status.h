#pragma once
// The one way the engine builds a failure: a Status whose message is the engine's English
// text (file names included), for a person to read.

#include <string>

#include "core/status.h"

namespace corvane::xbase {

inline Status XbaseError(const std::string& text) {
    return Status::Error(QString::fromStdString(text));
}

}  // namespace corvane::xbase
