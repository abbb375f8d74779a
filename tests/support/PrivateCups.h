#pragma once

// A print server of the test's own: a cupsd started in a temporary folder with its own configuration,
// spool, cache, state and logs, listening only on a socket file in that folder. Its queues write each
// job's document (the PDF the program sends) into a file, for pdfinfo and pdftotext to read. The
// system's print server is never asked anything.
//
// libcups reads the server's address from CUPS_SERVER once, on first use: the constructor sets it, so
// construct the server in main() before the QApplication, and start the daemon later with start().

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace TestSupport {

class PrivateCups
{
public:
    PrivateCups() { qputenv("CUPS_SERVER", QFile::encodeName(socketPath())); }
    ~PrivateCups()
    {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(10000))
            m_daemon.kill();
    }
    PrivateCups(const PrivateCups &) = delete;
    PrivateCups &operator=(const PrivateCups &) = delete;

    // The folder name stays short: a socket's path is limited to about 100 bytes.
    QString socketPath() const { return m_dir.filePath(QStringLiteral("cups.sock")); }
    // The file the queue `name` writes its jobs into.
    QString outputPath(const QString &name) const { return m_dir.filePath(QStringLiteral("out/") + name + ".out"); }
    // Why the last call failed.
    QString error() const { return m_error; }

    // Writes the configuration and starts cupsd in the foreground; true once it answers.
    bool start()
    {
        const QString cupsd = program(QStringLiteral("cupsd"));
        if (cupsd.isEmpty() || program(QStringLiteral("lpadmin")).isEmpty() ||
            program(QStringLiteral("cupsreject")).isEmpty())
            return fail(QStringLiteral("cupsd, lpadmin or cupsreject is missing (Debian packages cups, cups-client)"));
        const QDir root(m_dir.path());
        for (const char *folder : {"spool/tmp", "cache", "state", "log", "out"})
            root.mkpath(QLatin1String(folder));
        // Run as root, cupsd runs the jobs' filters as the user lp, who must reach the spool.
        QFile::setPermissions(m_dir.path(), QFile::Permissions(0x7755));
        QString files = QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/spool/tmp\nCacheDir %1/cache\n"
                                       "StateDir %1/state\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                                       "PageLog %1/log/page_log\nFileDevice Yes\n")
                            .arg(m_dir.path());
        // cupsd refuses to run jobs as root; anyone else runs everything as themselves.
        if (::geteuid() != 0)
            files += QStringLiteral("User %1\n").arg(qEnvironmentVariable("USER"));
        const QString daemon = QStringLiteral("Listen %1\nBrowsing No\nBrowseLocalProtocols none\nWebInterface No\n"
                                              "DefaultAuthType None\nLogLevel info\n"
                                              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                              "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                                              "</Policy>\n")
                                   .arg(socketPath());
        if (!write(root.filePath(QStringLiteral("cups-files.conf")), files.toUtf8()) ||
            !write(root.filePath(QStringLiteral("cupsd.conf")), daemon.toUtf8()) || !write(ppdPath(), kPdfPrinter))
            return fail(QStringLiteral("cannot write the configuration"));

        m_daemon.setProcessChannelMode(QProcess::MergedChannels);
        m_daemon.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), root.filePath(QStringLiteral("cupsd.conf")),
                               QStringLiteral("-s"), root.filePath(QStringLiteral("cups-files.conf"))});
        const QDeadlineTimer deadline(20000);
        while (m_daemon.waitForStarted(10000) && !deadline.hasExpired()) {
            if (run(QStringLiteral("lpstat"), {QStringLiteral("-r")}) &&
                m_output.contains(QLatin1String("scheduler is running")))
                return true;
            if (m_daemon.waitForFinished(50))
                break;
        }
        return fail(QStringLiteral("cupsd does not answer: ") + QString::fromLocal8Bit(m_daemon.readAll()) + log());
    }

    // Adds an enabled queue that writes each job's PDF, unchanged, to outputPath(name).
    bool addQueue(const QString &name)
    {
        return run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                                               "file://" + outputPath(name), QStringLiteral("-P"), ppdPath()});
    }
    bool removeQueue(const QString &name) { return run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name}); }
    bool setDefault(const QString &name) { return run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), name}); }
    // A queue that rejects jobs stays listed, and the server refuses every job sent to it.
    bool setAccepting(const QString &name, bool accepting)
    {
        return run(accepting ? QStringLiteral("cupsaccept") : QStringLiteral("cupsreject"), {name});
    }

    // Waits until the server has finished every job it was given.
    bool waitForJobs()
    {
        const QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired()) {
            if (run(QStringLiteral("lpstat"), {QStringLiteral("-o")}) && m_output.trimmed().isEmpty())
                return true;
            QTest::qWait(50);
        }
        return fail(QStringLiteral("jobs still waiting: ") + m_output + log());
    }
    // The number of jobs the queue `name` has completed.
    int completedJobs(const QString &name)
    {
        if (!run(QStringLiteral("lpstat"),
                 {QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o"), name}))
            return -1;
        return int(m_output.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
    }
    // Removes what the queues have written so far.
    void clearOutput()
    {
        QDir out(m_dir.filePath(QStringLiteral("out")));
        for (const QString &file : out.entryList(QDir::Files))
            out.remove(file);
    }
    QString log() const
    {
        QFile file(m_dir.filePath(QStringLiteral("log/error_log")));
        return file.open(QIODevice::ReadOnly) ? QString("\ncupsd: " + QString::fromLocal8Bit(file.readAll().right(800)))
                                              : QString();
    }

private:
    // A PDF printer with A4 paper. Its only filter, CUPS's own gziptoany, copies the document to the file
    // as it was sent: a queue with no filter at all (raw, or "-") completes its jobs without writing them
    // to a file: device.
    static constexpr const char *kPdfPrinter = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "TESTPDF.PPD"
*Manufacturer: "Test"
*Product: "(Test PDF Printer)"
*ModelName: "Test PDF Printer"
*ShortNickName: "Test PDF Printer"
*NickName: "Test PDF Printer"
*cupsFilter: "application/pdf 0 gziptoany"
*OpenUI *PageSize/Media Size: PickOne
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 18 577 824"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
)ppd";

    QString ppdPath() const { return m_dir.filePath(QStringLiteral("pdf-printer.ppd")); }

    static QString program(const QString &name)
    {
        return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
    }

    static bool write(const QString &path, const QByteArray &data)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.flush();
    }

    // Runs a client program against this server; its output is kept in m_output.
    bool run(const QString &name, QStringList arguments)
    {
        arguments = QStringList{QStringLiteral("-h"), socketPath()} + arguments;
        QProcess process;
        process.start(program(name), arguments);
        const bool finished = process.waitForFinished(15000);
        m_output = QString::fromLocal8Bit(process.readAllStandardOutput());
        if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
            return true;
        return fail(name + ' ' + arguments.join(' ') + ": " + QString::fromLocal8Bit(process.readAllStandardError()));
    }

    bool fail(const QString &why)
    {
        m_error = why;
        return false;
    }

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/cups-XXXXXX")};
    QProcess m_daemon;
    QString m_output;
    QString m_error;
};

} // namespace TestSupport
