#include "app/CompanionWindows.h"

#include "about/AboutBox.h"
#include "clock/ClockWindow.h"
#include "links/LinksWindow.h"

namespace {

template <typename Window> void closeAndDelete(QPointer<Window>& window) {
    if (!window)
        return;
    // The window may be asking to go from one of its own handlers.
    window->hide();
    window->deleteLater();
    window = nullptr;
}

template <typename Window> void bringForward(Window* window) {
    window->show();
    window->raise();
}

} // namespace

CompanionWindows::CompanionWindows(ClockWindow& clock, const Services& services)
    : m_clock(clock)
    , m_services(services) {
    connect(&clock, &ClockWindow::linksRequested, this, &CompanionWindows::showLinks);
    connect(&clock, &ClockWindow::aboutRequested, this, &CompanionWindows::showAbout);
    connect(&clock, &ClockWindow::panelFolded, this, [this] {
        closeLinks();
        closeAbout();
    });
}

CompanionWindows::~CompanionWindows() {
    delete m_links;
    delete m_about;
}

LinksWindow* CompanionWindows::linksWindow() const {
    return m_links;
}

AboutBox* CompanionWindows::aboutBox() const {
    return m_about;
}

void CompanionWindows::showLinks() {
    if (!m_links) {
        m_links = new LinksWindow(m_services, &m_clock);
        connect(m_links, &LinksWindow::closeRequested, this, &CompanionWindows::closeLinks);
        m_links->load();
        closeAbout();
    }
    bringForward(m_links.data());
}

void CompanionWindows::showAbout() {
    if (!m_about) {
        m_about =
            new AboutBox(QRect(m_clock.pos(), m_clock.size()), m_clock.availableArea(), m_services);
        connect(m_about, &AboutBox::closeRequested, this, &CompanionWindows::closeAbout);
        closeLinks();
    }
    bringForward(m_about.data());
}

void CompanionWindows::closeLinks() {
    closeAndDelete(m_links);
}

void CompanionWindows::closeAbout() {
    closeAndDelete(m_about);
}
