#include "BaseLoader.h"

#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <mutex>

// What the worker and the loader's thread share about one file.
struct BaseLoader::Job
{
    explicit Job(const QString &file) : path(file) {}

    const QString path;
    std::atomic<bool> cancelled{false};
    std::mutex mutex;
    // Under the mutex:
    std::vector<TrackTable> pieces;
    bool handOverPosted = false; // a hand-over waits in the loader thread's queue
    bool done = false;
    BaseFiles::ReadResult result;
    qint64 fileSize = 0;
    qint64 bytesRead = 0;
    qint64 tracksRead = 0;
};

BaseLoader::BaseLoader(QObject *parent) : QObject(parent), m_pool(std::make_unique<QThreadPool>())
{
    m_pool->setMaxThreadCount(1);
}

BaseLoader::~BaseLoader()
{
    cancel();
}

void BaseLoader::start(const QString &path)
{
    cancel();
    auto job = std::make_shared<Job>(path);
    m_job = job;
    m_pool->start([this, job] {
        BaseFiles::BaseReader reader(job->path);
        int pieceSize = kFirstPiece;
        bool more = true;
        while (more && !job->cancelled.load()) {
            TrackTable piece;
            more = reader.readPiece(piece, pieceSize);
            pieceSize = std::min(pieceSize * 4, kLargestPiece);
            bool post = false;
            {
                const std::lock_guard<std::mutex> lock(job->mutex);
                job->fileSize = reader.fileSize();
                job->bytesRead = reader.bytesRead();
                job->tracksRead += piece.count();
                if (piece.hasTracks())
                    job->pieces.push_back(std::move(piece));
                if (!more) {
                    job->result = reader.result();
                    job->done = true;
                }
                post = !job->handOverPosted;
                job->handOverPosted = true;
            }
            // One hand-over in the queue at a time: it takes every piece that is there by then.
            if (post)
                QMetaObject::invokeMethod(
                    this, [this, job] { deliver(job); }, Qt::QueuedConnection);
        }
    });
}

void BaseLoader::cancel()
{
    if (!m_job)
        return;
    m_job->cancelled = true;
    m_pool->waitForDone();
    m_job.reset();
}

std::vector<TrackTable> BaseLoader::takePieces()
{
    std::vector<TrackTable> pieces;
    if (m_job) {
        const std::lock_guard<std::mutex> lock(m_job->mutex);
        pieces.swap(m_job->pieces);
    }
    return pieces;
}

int BaseLoader::expectedTracks() const
{
    if (!m_job)
        return 0;
    const std::lock_guard<std::mutex> lock(m_job->mutex);
    if (m_job->bytesRead <= 0)
        return 0;
    return int(std::min<qint64>(m_job->tracksRead * m_job->fileSize / m_job->bytesRead, 50'000'000));
}

void BaseLoader::deliver(const std::shared_ptr<Job> &job)
{
    if (job != m_job)
        return; // cancelled, or another file took its place
    bool done = false;
    bool waiting = false;
    {
        const std::lock_guard<std::mutex> lock(job->mutex);
        job->handOverPosted = false;
        done = job->done;
        waiting = !job->pieces.empty();
    }
    if (waiting)
        Q_EMIT piecesReady();
    if (!done || job != m_job)
        return;
    // Whatever piecesReady() left untaken stays with the job and goes with it.
    const BaseFiles::ReadResult result = job->result;
    m_pool->waitForDone();
    m_job.reset();
    Q_EMIT finished(result);
}
