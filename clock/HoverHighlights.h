#pragma once

#include <QObject>

class CommandLabel;

// Lights the panel's commands under the pointer. A light stays until the pointer
// crosses the window's background or one of the two labels that clear their neighbours.
class HoverHighlights : public QObject {
    Q_OBJECT
public:
    struct Labels {
        CommandLabel* moveCommand;
        CommandLabel* soundCommand;
        CommandLabel* soundState;
        CommandLabel* startCommand;
        CommandLabel* startPauseBar;
        CommandLabel* pauseCommand;
        CommandLabel* linksCommand;
        CommandLabel* aboutCommand;
        CommandLabel* exitCommand;
    };

    HoverHighlights(const Labels& labels, QObject* parent);

public slots:
    // The pointer moved over the bare window.
    void clearAll();

private:
    void lightBold(CommandLabel* label);
    void light(CommandLabel* label);
    void clearBold(CommandLabel* label);
    void clear(CommandLabel* label);

    Labels m_labels;
};
