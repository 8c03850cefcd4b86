#include "clock/HoverHighlights.h"

#include "clock/Colors.h"
#include "platform/CommandLabel.h"

HoverHighlights::HoverHighlights(const Labels& labels, QObject* parent)
    : QObject(parent)
    , m_labels(labels) {
    for (CommandLabel* label :
         {labels.lblMove, labels.Label2, labels.Label7, labels.Label8, labels.lblExit}) {
        connect(label, &CommandLabel::pointerMoved, this, [this, label] { lightBold(label); });
    }
    // The stopwatch commands are set in a smaller type and never turn bold.
    for (CommandLabel* label : {labels.Label4, labels.Label5})
        connect(label, &CommandLabel::pointerMoved, this, [this, label] { light(label); });

    connect(labels.Label6, &CommandLabel::pointerMoved, this, [this] {
        clear(m_labels.Label4);
        clear(m_labels.Label5);
    });
    connect(labels.OfforOn, &CommandLabel::pointerMoved, this,
            [this] { clearBold(m_labels.Label2); });
}

void HoverHighlights::clearAll() {
    for (CommandLabel* label :
         {m_labels.lblMove, m_labels.lblExit, m_labels.Label2, m_labels.Label7, m_labels.Label8}) {
        clearBold(label);
    }
    clear(m_labels.Label4);
    clear(m_labels.Label5);
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
