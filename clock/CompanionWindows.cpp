#include "clock/CompanionWindows.h"

#include "about/AboutBox.h"
#include "links/LinksWindow.h"

namespace {

template <typename Window> void unload(QPointer<Window>& window) {
    if (!window)
        return;
    // The window may be unloading itself from one of its own handlers.
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
    if (!m_links)
        m_links = new LinksWindow(m_clock, *this, m_services);
    bringForward(m_links.data());
}

void CompanionWindows::showAbout() {
    if (!m_about)
        m_about = new AboutBox(m_clock, *this, m_services);
    bringForward(m_about.data());
}

void CompanionWindows::unloadLinks() {
    unload(m_links);
}

void CompanionWindows::unloadAbout() {
    unload(m_about);
}

void CompanionWindows::reloadLinks() {
    unloadLinks();
    showLinks();
}
