#pragma once

#include "core/catalogue/BaseFiles.h"
#include "core/catalogue/TrackTable.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QThreadPool;

// Reads a base file on a worker thread, piece by piece, and hands the pieces over on the thread that
// owns the loader, in file order: the first piece is small, so the first screen of tracks can be shown
// at once, the later ones larger, so that putting them together costs little. A loader reads one file
// at a time; starting another one, or cancelling, drops whatever the old one had not handed over.
class BaseLoader : public QObject
{
    Q_OBJECT

public:
    explicit BaseLoader(QObject *parent = nullptr);
    ~BaseLoader() override;

    void start(const QString &path);
    // Stops the worker and waits for it; no signal of the old file comes after this.
    void cancel();
    bool isRunning() const { return m_job != nullptr; }

    // The pieces read since the last call, in file order.
    std::vector<TrackTable> takePieces();
    // How many tracks the whole file holds, guessed from the lines read so far; 0 before the first.
    int expectedTracks() const;

    // The number of tracks of the first piece and the most any piece holds.
    static constexpr int kFirstPiece = 2000;
    static constexpr int kLargestPiece = 50'000;

Q_SIGNALS:
    // Pieces wait to be taken (takePieces()).
    void piecesReady();
    // The file is read to its end, or could not be read further: `result` is what readBase() answers.
    // Every piece was handed over before.
    void finished(const BaseFiles::ReadResult &result);

private:
    struct Job;
    void deliver(const std::shared_ptr<Job> &job);

    std::unique_ptr<QThreadPool> m_pool;
    std::shared_ptr<Job> m_job;
};
