#include "core/message_boxes.h"

#include <cstdio>

namespace corvane {

namespace {
MessageBoxes* g_boxes = nullptr;
}

void setMessageBoxes(MessageBoxes* boxes) {
    g_boxes = boxes;
}
MessageBoxes* messageBoxes() {
    return g_boxes;
}

void ShowInformation(const QString& text) {
    if (g_boxes) {
        g_boxes->showInformation(text);
        return;
    }
    std::fprintf(stderr, "Information: %s\n", qPrintable(text));
}

bool AskYesNo(const QString& text, const QString& title) {
    return g_boxes ? g_boxes->askYesNo(text, title) : false;
}

bool AskYesNoDefaultNo(const QString& text, const QString& title) {
    return g_boxes ? g_boxes->askYesNoDefaultNo(text, title) : false;
}

QStringList ScriptedMessageBoxes::texts() const {
    QStringList out;
    for (const auto& s : shown_) out << s.text;
    return out;
}

bool ScriptedMessageBoxes::nextAnswer() {
    if (answers_.empty()) return false;
    bool yes = answers_.front();
    answers_.pop_front();
    return yes;
}

void ScriptedMessageBoxes::showInformation(const QString& text) {
    shown_.push_back({Shown::Information, text, QStringLiteral("Information")});
}

bool ScriptedMessageBoxes::askYesNo(const QString& text, const QString& title) {
    shown_.push_back({Shown::YesNo, text, title});
    return nextAnswer();
}

bool ScriptedMessageBoxes::askYesNoDefaultNo(const QString& text, const QString& title) {
    shown_.push_back({Shown::YesNoDefaultNo, text, title});
    return nextAnswer();
}

}  // namespace corvane
