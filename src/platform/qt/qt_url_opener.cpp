#include "platform/qt/qt_url_opener.h"

#include <QDesktopServices>
#include <QUrl>

void QtUrlOpener::open(const std::string& address)
{
    // A browser that fails to start is its own business: the result is
    // deliberately not reported.
    const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}
