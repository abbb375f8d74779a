#pragma once

// A print server of the test's own: a cupsd started in a temporary folder with its own configuration,
// spool, cache, state and logs, listening on a socket file in that folder only. Its queues write each
// job's document (the PDF the program sends) into a file beside them, so a test can read what was
// printed with pdfinfo and pdftotext. The system's print server is never asked anything.
//
// libcups reads the server's address from CUPS_SERVER once, on first use. The constructor sets it, so
// construct the server in main() before the QApplication (and before anything asks for printers); start
// the daemon later with start().

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <unistd.h>

namespace TestSupport {

class PrivateCups
{
public:
    PrivateCups()
    {
        // The folder name must stay short: a socket path is limited to about 100 bytes.
        if (m_dir.isValid())
            qputenv("CUPS_SERVER", QFile::encodeName(socketPath()));
    }

    ~PrivateCups() { stop(); }
    PrivateCups(const PrivateCups &) = delete;
    PrivateCups &operator=(const PrivateCups &) = delete;

    QString socketPath() const { return m_dir.filePath(QStringLiteral("cups.sock")); }
    // The file the queue `name` writes its jobs into.
    QString outputPath(const QString &name) const { return m_dir.filePath(QStringLiteral("out/") + name + ".out"); }
    // Why start() failed, or why a queue could not be made.
    QString error() const { return m_error; }
    bool isRunning() const { return m_daemon.state() == QProcess::Running; }

    // Writes the configuration and starts cupsd in the foreground; returns once it answers, or false
    // (with error()) when it cannot be started at all.
    bool start()
    {
        if (isRunning())
            return true;
        if (!m_dir.isValid())
            return fail(QStringLiteral("no temporary folder"));
        const QString cupsd = findProgram(QStringLiteral("cupsd"));
        if (cupsd.isEmpty())
            return fail(QStringLiteral("cupsd is not installed (Debian package cups)"));
        if (findProgram(QStringLiteral("lpadmin")).isEmpty() || findProgram(QStringLiteral("lpstat")).isEmpty())
            return fail(QStringLiteral("lpadmin/lpstat are not installed (Debian package cups-client)"));

        const QDir root(m_dir.path());
        for (const char *folder : {"spool/tmp", "cache", "state", "log", "out", "ppd"})
            root.mkpath(QLatin1String(folder));
        // Run as root, cupsd hands the jobs to the unprivileged user lp, who must reach the spool, the
        // driver file and the output folder.
        QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                                QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                                QFileDevice::ReadOther | QFileDevice::ExeOther);
        QFile::setPermissions(root.filePath(QStringLiteral("out")), QFileDevice::Permissions(0x7777));

        QString files = QStringLiteral("ServerRoot %1\n"
                                       "RequestRoot %1/spool\n"
                                       "TempDir %1/spool/tmp\n"
                                       "CacheDir %1/cache\n"
                                       "StateDir %1/state\n"
                                       "ErrorLog %1/log/error_log\n"
                                       "AccessLog %1/log/access_log\n"
                                       "PageLog %1/log/page_log\n"
                                       "FileDevice Yes\n")
                            .arg(m_dir.path());
        // cupsd refuses to run jobs as root and then takes the user lp; anyone else runs everything as
        // themselves.
        if (::geteuid() != 0) {
            const QString user = qEnvironmentVariable("USER", QStringLiteral("nobody"));
            files += QStringLiteral("User %1\nSystemGroup %2\n").arg(user, groupName());
        }
        const QString daemon = QStringLiteral("Listen %1\n"
                                              "Browsing No\n"
                                              "BrowseLocalProtocols none\n"
                                              "DefaultAuthType None\n"
                                              "WebInterface No\n"
                                              "LogLevel info\n"
                                              "MaxLogSize 0\n"
                                              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                              "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                                              "  </Limit>\n</Policy>\n")
                                   .arg(socketPath());
        if (!write(root.filePath(QStringLiteral("cups-files.conf")), files.toUtf8()) ||
            !write(root.filePath(QStringLiteral("cupsd.conf")), daemon.toUtf8()) || !write(ppdPath(), kPdfPrinterPpd))
            return fail(QStringLiteral("cannot write the configuration"));

        m_daemon.setProcessChannelMode(QProcess::MergedChannels);
        m_daemon.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), root.filePath(QStringLiteral("cupsd.conf")),
                               QStringLiteral("-s"), root.filePath(QStringLiteral("cups-files.conf"))});
        if (!m_daemon.waitForStarted(10000))
            return fail(QStringLiteral("cupsd does not start: ") + m_daemon.errorString());
        const QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            if (m_daemon.state() != QProcess::Running)
                return fail(QStringLiteral("cupsd ended: ") + QString::fromLocal8Bit(m_daemon.readAll()) + log());
            if (QFileInfo::exists(socketPath()) && run(QStringLiteral("lpstat"), {QStringLiteral("-r")}))
                return true;
            QThread::msleep(50);
        }
        stop();
        return fail(QStringLiteral("cupsd does not answer: ") + log());
    }

    void stop()
    {
        if (m_daemon.state() == QProcess::NotRunning)
            return;
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(10000)) {
            m_daemon.kill();
            m_daemon.waitForFinished(5000);
        }
    }

    // Adds an enabled queue that accepts jobs and writes each job's PDF, unchanged, to outputPath(name).
    bool addQueue(const QString &name)
    {
        return run(QStringLiteral("lpadmin"),
                   {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                    QStringLiteral("file://") + outputPath(name), QStringLiteral("-P"), ppdPath()});
    }
    bool removeQueue(const QString &name) { return run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name}); }
    // Makes `name` the server's default printer.
    bool setDefault(const QString &name) { return run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), name}); }
    // The queues the server has, as lpstat lists them.
    QStringList queues()
    {
        QStringList names;
        if (!run(QStringLiteral("lpstat"), {QStringLiteral("-p")}))
            return names;
        for (const QString &line : m_output.split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("printer ")))
                names.append(line.section(QLatin1Char(' '), 1, 1));
        }
        return names;
    }

    // Waits until the server has finished every job it was given; false on timeout (see error()).
    bool waitForJobs(int timeoutMs = 30000)
    {
        const QDeadlineTimer deadline(timeoutMs);
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
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        return QLatin1String("\n--- cupsd error_log ---\n") + QString::fromLocal8Bit(file.readAll().right(4000));
    }

private:
    // A PDF printer whose only filter is CUPS's own gziptoany, which copies the job's document to the
    // file as sent (a queue without any filter, raw or "-", completes its jobs without writing them to a
    // file: device). It offers A4 (its default) and Letter, so the program asks for A4 as from a real
    // printer.
    static constexpr const char *kPdfPrinterPpd = R"ppd(*PPD-Adobe: "4.3"
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
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter: "application/pdf 0 gziptoany"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageSize Letter/Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageRegion Letter/Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 18 577 824"
*ImageableArea Letter/Letter: "18 18 594 774"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/Letter: "612 792"
)ppd";

    QString ppdPath() const { return m_dir.filePath(QStringLiteral("ppd/pdf-printer.ppd")); }

    static QString findProgram(const QString &name)
    {
        return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                                     QStringLiteral("/sbin"), QStringLiteral("/bin")});
    }

    static QString groupName()
    {
        QProcess id;
        id.start(QStringLiteral("id"), {QStringLiteral("-gn")});
        id.waitForFinished(5000);
        return QString::fromLocal8Bit(id.readAllStandardOutput()).trimmed();
    }

    static bool write(const QString &path, const QByteArray &data)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size() && file.flush();
    }

    // Runs a client program against this server; its output is kept in m_output.
    bool run(const QString &program, QStringList arguments)
    {
        arguments.prepend(socketPath());
        arguments.prepend(QStringLiteral("-h"));
        QProcess process;
        process.start(findProgram(program), arguments);
        const bool finished = process.waitForFinished(15000);
        m_output = QString::fromLocal8Bit(process.readAllStandardOutput());
        if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
            return true;
        return fail(program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) + QStringLiteral(" failed: ") +
                    QString::fromLocal8Bit(process.readAllStandardError()));
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
