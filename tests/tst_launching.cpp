#include "LinksTestSupport.h"

#include "platform/Fonts.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QMessageBox>
#include <QTimer>

#include <csignal>
#include <unistd.h>

// Links started through the real shell service: programs that end at once, never end or do not
// exist. Tempivo keeps turning its event loop and leaves no dead children behind.
class LaunchingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void launch_data();
    void launch();
    void errorTextShowsMarkupAsText();

private:
    void startWith(MessageBox* messages = nullptr);

    LinksFixture f;
    SystemShell shell;
};

namespace {

struct Process {
    qint64 pid;
    char state;
    qint64 parent;
    QByteArray commandLine; // arguments joined by NULs
};

QList<Process> processes() {
    QList<Process> list;
    QDirIterator it(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString dir = it.next();
        bool number = false;
        const qint64 pid = it.fileName().toLongLong(&number);
        if (!number)
            continue;
        QFile stat(dir + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state parent ...": the name may hold blanks and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 2)
            continue;
        QFile cmdline(dir + "/cmdline");
        const QByteArray command = cmdline.open(QIODevice::ReadOnly) ? cmdline.readAll() : "";
        list.append(
            {pid, fields[0].isEmpty() ? '?' : fields[0][0], fields[1].toLongLong(), command});
    }
    return list;
}

QList<qint64> zombieChildren() {
    QList<qint64> zombies;
    for (const Process& p : processes()) {
        if (p.parent == getpid() && p.state == 'Z')
            zombies.append(p.pid);
    }
    return zombies;
}

// A run of sleep that no other test shares: its length carries this process's id.
QString sleeperArgument() {
    return QStringLiteral("1000.%1").arg(getpid());
}

QList<qint64> sleepers() {
    QList<qint64> found;
    for (const Process& p : processes()) {
        // The program's name arrives as a path found on PATH.
        const QList<QByteArray> words = p.commandLine.split('\0');
        if (words.size() >= 2 && words[0].endsWith("sleep") &&
            words[1] == sleeperArgument().toLatin1() && p.state != 'Z') {
            found.append(p.pid);
        }
    }
    return found;
}

void killSleepers() {
    for (const qint64 pid : sleepers()) {
        if (getpgid(pid_t(pid)) == pid_t(pid))
            ::kill(-pid_t(pid), SIGKILL);
        ::kill(pid_t(pid), SIGKILL);
    }
    QTRY_VERIFY(sleepers().isEmpty());
}

} // namespace

void LaunchingTest::initTestCase() {
    LinksFixture::isolateConfig();
    installFontSubstitutions();
}

void LaunchingTest::init() {
    LinksFixture::removeConfig();
    f = {};
}

void LaunchingTest::cleanup() {
    f.stop();
    killSleepers();
    LinksFixture::removeConfig();
}

void LaunchingTest::startWith(MessageBox* messages) {
    Services services = f.services();
    services.shell = &shell;
    if (messages)
        services.messages = messages;
    f.clock = std::make_unique<ClockWindow>(services);
    f.clock->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.clock.get()));
    QVERIFY(f.openLinks());
}

void LaunchingTest::launch_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<int>("clicks");

    QTest::newRow("exits at once") << "/bin/true" << true << 20;
    QTest::newRow("never exits") << "sleep " + sleeperArgument() << true << 1;
    QTest::newRow("does not exist") << "/nonexistent/tempivo-no-such-program --flag" << false << 3;
    QTest::newRow("not executable") << "/etc/hostname" << false << 1;
}

void LaunchingTest::launch() {
    QFETCH(QString, commandLine);
    QFETCH(bool, starts);
    QFETCH(int, clicks);

    LinksFixture::writeConfig(LinksFixture::defaultWith(
        {{"No1T=\"[none]\"", "No1T=Run"}, {"No1A=\"none\"", "No1A=" + commandLine.toUtf8()}}));
    startWith();

    qint64 slowestClick = 0, slowestTurn = 0;
    for (int i = 0; i < clicks; ++i) {
        QElapsedTimer clock;
        clock.start();
        clickOn(f.child("lbl1"));
        slowestClick = qMax(slowestClick, clock.elapsed());
        // The event loop keeps turning: a zero-delay timer fires at once.
        clock.restart();
        bool fired = false;
        QTimer::singleShot(0, this, [&] { fired = true; });
        QTRY_VERIFY_WITH_TIMEOUT(fired, 2000);
        slowestTurn = qMax(slowestTurn, clock.elapsed());
    }
    QVERIFY2(slowestClick < 1000, qPrintable(QString::number(slowestClick)));
    QVERIFY2(slowestTurn < 500, qPrintable(QString::number(slowestTurn)));

    if (starts) {
        QVERIFY(f.messages.shown.isEmpty());
    } else {
        QCOMPARE(f.messages.shown.size(), clicks);
        for (const FakeMessageBox::Shown& shown : f.messages.shown) {
            QCOMPARE(shown.caption, "Error");
            QCOMPARE(shown.text, "Could not start the program \"" + commandLine + "\".");
        }
    }
    if (commandLine.startsWith(QLatin1String("sleep")))
        QTRY_COMPARE(sleepers().size(), 1);

    // Started programs are nobody's dead children here, however soon they end.
    QTest::qWait(200);
    QCOMPARE(zombieChildren(), QList<qint64>());
    QVERIFY(f.links() && f.links()->isVisible());
}

void LaunchingTest::errorTextShowsMarkupAsText() {
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("magenta.png"));
    QImage magenta(40, 12, QImage::Format_RGB32);
    magenta.fill(Qt::magenta);
    QVERIFY(magenta.save(picture));
    const QString commandLine = "<img src=\"" + picture + "\">";
    LinksFixture::writeConfig(LinksFixture::defaultWith(
        {{"No1T=\"[none]\"", "No1T=Run"}, {"No1A=\"none\"", "No1A=" + commandLine.toUtf8()}}));

    QtMessageBox realBox;
    startWith(&realBox);
    QString shownText;
    bool showsPicture = true;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        shownText = box->text();
        const QImage image = box->grab().toImage();
        showsPicture = false;
        for (int y = 0; y < image.height() && !showsPicture; ++y) {
            for (int x = 0; x < image.width(); ++x)
                showsPicture = showsPicture || image.pixel(x, y) == qRgb(255, 0, 255);
        }
        box->accept();
    });
    poll.start(10);
    clickOn(f.child("lbl1"));
    QCOMPARE(shownText, "Could not start the program \"" + commandLine + "\".");
    QVERIFY(!showsPicture);
}

QTEST_MAIN(LaunchingTest)
#include "tst_launching.moc"
