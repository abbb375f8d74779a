#pragma once

#include "core/media/FolderAlbum.h"

#include <QObject>

#include <atomic>
#include <memory>

class QThreadPool;

// Reads a folder of audio files (FolderAlbum) on a worker thread, so the window stays responsive over a
// folder of hundreds of files. Progress and the result arrive as signals on the window's thread; stop()
// ends the reading after the file being read.
class FolderReader : public QObject
{
    Q_OBJECT

public:
    explicit FolderReader(QObject *parent = nullptr);
    ~FolderReader() override;

    // Starts reading `folder`; a reading still running is abandoned first.
    void read(const QString &folder);
    // Asks the running reading to stop; its result, with what was read so far, still arrives.
    void stop();
    // Stops the running reading without waiting for it; nothing more arrives from it.
    void abandon();
    bool isReading() const { return m_reading; }

Q_SIGNALS:
    void progress(int done, int total);
    void finished(const FolderAlbum &album);

private:
    std::unique_ptr<QThreadPool> m_pool;
    // Raised to stop the reading under way; each reading has a flag of its own, so a dropped one cannot stop
    // the next.
    std::shared_ptr<std::atomic<bool>> m_stop;
    quint64 m_generation = 0;
    bool m_reading = false;
};
