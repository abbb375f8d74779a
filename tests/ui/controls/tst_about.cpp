#include "support/UrlCatcher.h"
#include "ui/controls/frmAbout.h"
#include "ui/platform/Twips.h"
#include "ui/platform/VisualStyle.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString s(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Twips::setPerPixelForTesting(15, 15); }
    void layoutAndTexts();
    void clickAnywhereCloses_data();
    void clickAnywhereCloses();
    void helpPageWhereTheProgramFindsIt();
};

void TestAbout::layoutAndTexts()
{
    frmAbout box(QStringLiteral("Cratebook 0.8.8 Beta"), false);
    QCOMPARE(box.windowTitle(), s("О программе"));
    // 4815 x 2895 twips, taller only by what the description needs to show all its lines.
    QCOMPARE(box.width(), 321);
    QVERIFY(box.height() >= 193);
    auto *label1 = box.findChild<QLabel *>(QStringLiteral("Label1"));
    auto *label3 = box.findChild<QLabel *>(QStringLiteral("Label3"));
    auto *label4 = box.findChild<QLabel *>(QStringLiteral("Label4"));
    auto *command1 = box.findChild<QPushButton *>(QStringLiteral("Command1"));
    QVERIFY(label1 && label3 && label4 && command1);
    QCOMPARE(label1->text(), QStringLiteral("Cratebook 0.8.8 Beta"));
    QCOMPARE(label1->font().family(), QStringLiteral("Arial"));
    QVERIFY(label1->font().bold());
    QCOMPARE(label1->font().pointSizeF(), 14.25);
    QCOMPARE(label3->text(), s("Программа для каталогизации, поиска треков с дисков и пластинок."));
    QCOMPARE(label4->text(), QStringLiteral("Cratebook [cratebook-help.html]"));
    QCOMPARE(command1->text(), s("Закрыть"));
    QVERIFY(label3->height() >= label3->heightForWidth(label3->width()));
    QVERIFY(label4->y() >= label3->geometry().bottom());
    QCOMPARE(box.height() - command1->geometry().bottom(), 193 - Twips::toPixels(3480, 2400, 1215, 375).bottom());

    QVERIFY(!VisualStyle::isClassic(&box));
    frmAbout classic(QStringLiteral("Cratebook"), true);
    QVERIFY(VisualStyle::isClassic(&classic));
    QVERIFY(VisualStyle::isClassic(classic.findChild<QPushButton *>(QStringLiteral("Command1"))));
}

void TestAbout::clickAnywhereCloses_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("title") << QStringLiteral("Label1");
    QTest::newRow("description") << QStringLiteral("Label3");
    QTest::newRow("maker") << QStringLiteral("Label4");
    QTest::newRow("button") << QStringLiteral("Command1");
    QTest::newRow("form") << QString();
}

void TestAbout::clickAnywhereCloses()
{
    QFETCH(QString, target);
    frmAbout box(QStringLiteral("Cratebook"), false);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QWidget *widget = target.isEmpty() ? &box : box.findChild<QWidget *>(target);
    QVERIFY(widget);
    // The form: a spot left of the button, under the texts.
    const QPoint spot = target.isEmpty() ? QPoint(20, box.height() - 8) : widget->rect().center();
    QCOMPARE(box.childAt(widget->mapTo(&box, spot)), target.isEmpty() ? nullptr : widget);
    QTest::mouseClick(widget, Qt::LeftButton, {}, spot);
    QTRY_VERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

void TestAbout::helpPageWhereTheProgramFindsIt()
{
    // Installed, the page is among the program's shared files, and the program finds it from its folder.
    QTemporaryDir prefix;
    QCOMPARE(QProcess::execute(QStringLiteral(CRATEBOOK_CMAKE),
                               {QStringLiteral("--install"), QStringLiteral(CRATEBOOK_BUILD_DIR),
                                QStringLiteral("--component"), QStringLiteral("help"), QStringLiteral("--prefix"),
                                prefix.path()}),
             0);
    const QString installed = prefix.filePath(QStringLiteral("share/cratebook/cratebook-help.html"));
    const QDir bin(prefix.filePath(QStringLiteral("bin")));
    QVERIFY(QFileInfo::exists(installed));
    QVERIFY(bin.entryList(QDir::Files).isEmpty());
    QCOMPARE(frmAbout::helpPagePath(bin.path()), installed);
    QFile page(installed);
    QVERIFY(page.open(QIODevice::ReadOnly));
    QVERIFY(!QString::fromUtf8(page.readAll()).simplified().contains(s("параметры поиска"))); // nothing keeps them
    // A page beside the program (its build tree) is that program's.
    QVERIFY(bin.mkpath(QStringLiteral(".")) &&
            QFile::copy(installed, bin.filePath(QStringLiteral("cratebook-help.html"))));
    QCOMPARE(frmAbout::helpPagePath(bin.path()), bin.filePath(QStringLiteral("cratebook-help.html")));

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    frmAbout::openHelp();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.urls.size(), 1);
    QVERIFY(catcher.urls.first().isLocalFile());
    QCOMPARE(catcher.urls.first().toLocalFile(), frmAbout::helpPagePath(QCoreApplication::applicationDirPath()));
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
