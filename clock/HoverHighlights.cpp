#include "clock/HoverHighlights.h"

#include "widgets/Colors.h"
#include "widgets/CommandLabel.h"

HoverHighlights::HoverHighlights(const Labels& labels, QObject* parent)
    : QObject(parent)
    , m_labels(labels) {
    for (CommandLabel* label : {labels.moveCommand, labels.soundCommand, labels.linksCommand,
                                labels.aboutCommand, labels.exitCommand}) {
        connect(label, &CommandLabel::pointerMoved, this, [this, label] { lightBold(label); });
    }
    // The stopwatch commands are set in a smaller type and never turn bold.
    for (CommandLabel* label : {labels.startCommand, labels.pauseCommand})
        connect(label, &CommandLabel::pointerMoved, this, [this, label] { light(label); });

    connect(labels.startPauseBar, &CommandLabel::pointerMoved, this, [this] {
        clear(m_labels.startCommand);
        clear(m_labels.pauseCommand);
    });
    connect(labels.soundState, &CommandLabel::pointerMoved, this,
            [this] { clearBold(m_labels.soundCommand); });
}

void HoverHighlights::clearAll() {
    for (CommandLabel* label : {m_labels.moveCommand, m_labels.exitCommand, m_labels.soundCommand,
                                m_labels.linksCommand, m_labels.aboutCommand}) {
        clearBold(label);
    }
    clear(m_labels.startCommand);
    clear(m_labels.pauseCommand);
}

void HoverHighlights::lightBold(CommandLabel* label) {
    label->setTextColor(Colors::orange);
    label->setBold(true);
}

void HoverHighlights::light(CommandLabel* label) {
    label->setTextColor(Colors::orange);
}

void HoverHighlights::clearBold(CommandLabel* label) {
    label->setTextColor(Colors::lightCyan);
    label->setBold(false);
}

void HoverHighlights::clear(CommandLabel* label) {
    label->setTextColor(Colors::lightCyan);
}
