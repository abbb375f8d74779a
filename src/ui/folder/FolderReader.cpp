#include "FolderReader.h"

#include <QThreadPool>

FolderReader::FolderReader(QObject *parent)
    : QObject(parent), m_pool(std::make_unique<QThreadPool>()), m_stop(std::make_shared<std::atomic<bool>>(false))
{
    m_pool->setMaxThreadCount(1);
}

FolderReader::~FolderReader()
{
    abandon();
    m_pool->waitForDone();
}

void FolderReader::abandon()
{
    // The file being read is finished on the worker; a new reading waits behind it in the pool.
    m_stop->store(true);
    ++m_generation;
    m_reading = false;
}

void FolderReader::stop()
{
    m_stop->store(true);
}

void FolderReader::read(const QString &folder)
{
    abandon();
    m_stop = std::make_shared<std::atomic<bool>>(false);
    m_reading = true;
    const quint64 generation = m_generation;
    // The worker reports through queued calls on this object; the destructor waits for it, so `this` outlives
    // every call it posts, and a call posted for an abandoned reading is known by its generation.
    m_pool->start([this, folder, generation, stopFlag = m_stop] {
        const auto report = [this, generation](int done, int total) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, done, total] {
                    if (generation == m_generation)
                        Q_EMIT progress(done, total);
                },
                Qt::QueuedConnection);
        };
        FolderAlbum album = FolderAlbum::read(folder, report, [stopFlag] { return stopFlag->load(); });
        QMetaObject::invokeMethod(
            this,
            [this, generation, album = std::move(album)] {
                if (generation != m_generation)
                    return;
                m_reading = false;
                Q_EMIT finished(album);
            },
            Qt::QueuedConnection);
    });
}
