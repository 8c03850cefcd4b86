#pragma once

#include "platform/Services.h"

#include <QObject>
#include <QPointer>

class AboutBox;
class ClockWindow;
class LinksWindow;

// Owns the links window and the About box that the clock window's commands open: creates each
// on first use, shows it without an owner, and closes and deletes it. Opening either one closes
// the other.
class CompanionWindows : public QObject {
    Q_OBJECT
public:
    CompanionWindows(ClockWindow& clock, const Services& services);
    ~CompanionWindows() override;

    void showLinks();
    void showAbout();
    void closeLinks();
    void closeAbout();

    LinksWindow* linksWindow() const;
    AboutBox* aboutBox() const;

private:
    ClockWindow& m_clock;
    Services m_services;
    QPointer<LinksWindow> m_links;
    QPointer<AboutBox> m_about;
};
