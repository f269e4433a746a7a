// The web browser, for the banner's link to the home page.
#pragma once

#include <QString>

namespace kalvex {

// Hands `url` to the desktop's browser and returns at once: the window never
// waits for the browser to start.
void OpenInBrowser(const QString& url);

}  // namespace kalvex
