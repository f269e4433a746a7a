#include "app/browser.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <thread>
#else
#include <QDesktopServices>
#include <QUrl>
#endif

namespace kalvex {

void OpenInBrowser(const QString& url) {
#ifdef Q_OS_WIN
  // The shell may take seconds to hand a link to the browser (starting it,
  // asking it over DDE): that wait goes on a thread of its own, which the
  // shell wants to be a COM apartment.
  std::thread([link = url.toStdWString()] {
    const HRESULT com =
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ::ShellExecuteW(nullptr, L"open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com)) ::CoUninitialize();
  }).detach();
#else
  // Starts the desktop's opener (xdg-open) detached: returns at once.
  QDesktopServices::openUrl(QUrl(url));
#endif
}

}  // namespace kalvex
