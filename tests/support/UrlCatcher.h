#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Takes the addresses the program hands to the desktop instead of a browser
// (QDesktopServices::setUrlHandler(scheme, &catcher, "open")).
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};
