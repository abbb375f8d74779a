#include "CddbControl.h"

struct CddbControl::Private
{
    Settings settings;
    TocReader tocReader;
    MatchChooser chooser;
};

CddbControl::Settings CddbControl::readSettings(const QString &)
{
    return {};
}

CddbControl::CddbControl(QObject *parent) : QObject(parent), d(std::make_unique<Private>()) {}

CddbControl::~CddbControl() = default;

void CddbControl::setSettings(const Settings &settings)
{
    d->settings = settings;
}

const CddbControl::Settings &CddbControl::settings() const
{
    return d->settings;
}

QStringList CddbControl::drives() const
{
    return {};
}

bool CddbControl::lookup(const QString &)
{
    return false;
}

void CddbControl::stop() {}

bool CddbControl::isRunning() const
{
    return false;
}

QString CddbControl::albumTitle() const
{
    return {};
}

QString CddbControl::labelValue() const
{
    return {};
}

int CddbControl::trackCount() const
{
    return 0;
}

QString CddbControl::trackTitle(int) const
{
    return {};
}

int CddbControl::trackLength(int) const
{
    return 0;
}

QString CddbControl::formatLength(int) const
{
    return {};
}

QString CddbControl::genre() const
{
    return {};
}

void CddbControl::setTocReader(TocReader reader)
{
    d->tocReader = std::move(reader);
}

void CddbControl::setMatchChooser(MatchChooser chooser)
{
    d->chooser = std::move(chooser);
}
