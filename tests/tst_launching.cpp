#include "LinksTestSupport.h"

#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/StartEnvironment.h"
#include "widgets/Fonts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <csignal>
#include <unistd.h>

// Links started through the real shell service: what a command line or an address starts, with
// which arguments and environment, and programs that end at once, never end or do not exist.
// Tempivo keeps turning its event loop and leaves no dead children behind.
class LaunchingTest : public LinksTestCase {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void launch_data();
    void launch();
    void errorTextShowsMarkupAsText();
    void commandLines_data();
    void commandLines();
    void browsedProgramStarts();
    void addresses_data();
    void addresses();

private:
    void startWith(MessageBox* messages = nullptr);
    struct Received {
        QStringList arguments;
        QString folder;
        QStringList environment; // sorted
    };
    // A program at path that notes what it received beside itself.
    static void makeRecorder(const QString& path);
    static std::optional<Received> received(const QString& path);

    SystemShell shell;
    QTemporaryDir root;
    // What every started program should get: the environment Tempivo was started with.
    QStringList userEnvironment;
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

void LaunchingTest::makeRecorder(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n"
               "for a; do printf '%s\\0' \"$a\"; done >\"$0.args\"\n"
               "printf '%s\\0' \"$(pwd)\" >\"$0.folder\"\n"
               "cat /proc/$$/environ >\"$0.environment\"\n"
               "mv \"$0.args\" \"$0.received\"\n");
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFile::ExeUser));
}

std::optional<LaunchingTest::Received> LaunchingTest::received(const QString& path) {
    if (!QTest::qWaitFor([&] { return QFile::exists(path + ".received"); }, 5000))
        return std::nullopt;
    QList<QStringList> fields;
    for (const char* suffix : {".received", ".folder", ".environment"}) {
        QFile file(path + suffix);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        fields.append(QString::fromLocal8Bit(file.readAll()).split(u'\0'));
        fields.last().removeLast();
        file.remove();
    }
    fields[2].sort();
    return Received{fields[0], fields[1].value(0), fields[2]};
}

void LaunchingTest::initTestCase() {
    LinksTestCase::initTestCase();

    QVERIFY(root.isValid());
    // "opt/My" as well: of the runs of words that name a program, the longest is started.
    for (const char* program : {"bin/tool", "bin/xdg-open", "My Apps/run.sh", "opt/My",
                                "opt/My App/bin/app", "odd it's \"q\" \\b/run"}) {
        makeRecorder(root.filePath(QString::fromUtf8(program)));
    }
    makeRecorder(QDir::home().filePath("bin/hometool"));
    QFile notes(QDir::home().filePath("notes.txt"));
    QVERIFY(notes.open(QIODevice::WriteOnly));

    // Tempivo notes its environment before it sets anything for Qt.
    qputenv("PATH", QFile::encodeName(root.filePath("bin")) + ":" + qgetenv("PATH"));
    qputenv("DESKTOP_STARTUP_ID", "meant-for-tempivo-only");
    StartEnvironment::remember();
    // Less the start-up token: Qt takes it for Tempivo's own first window.
    userEnvironment = QProcessEnvironment::systemEnvironment().toStringList();
    userEnvironment.removeAll("DESKTOP_STARTUP_ID=meant-for-tempivo-only");
    userEnvironment.sort();
    qputenv("QT_XCB_NO_MITSHM", "tempivo");
    qputenv("QT_QPA_PLATFORM", "tempivo");
}

void LaunchingTest::cleanup() {
    LinksTestCase::cleanup();
    killSleepers();
}

void LaunchingTest::startWith(MessageBox* messages) {
    Services services = f.services();
    services.shell = &shell;
    if (messages)
        services.messages = messages;
    f.start(services);
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
        clickOn(f.child("slot1"));
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
    QStringList buttons;
    bool showsPicture = true;
    bool closedByEscape = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        shownText = box->text();
        for (const QAbstractButton* button : box->buttons())
            buttons << button->text();
        const QImage image = box->grab().toImage();
        showsPicture = false;
        for (int y = 0; y < image.height() && !showsPicture; ++y) {
            for (int x = 0; x < image.width(); ++x)
                showsPicture = showsPicture || image.pixel(x, y) == qRgb(255, 0, 255);
        }
        // Its one button answers Escape as well as Return.
        QTest::keyClick(box, Qt::Key_Escape);
        closedByEscape = !box->isVisible();
        box->accept();
    });
    poll.start(10);
    clickOn(f.child("slot1"));
    QCOMPARE(shownText, "Could not start the program \"" + commandLine + "\".");
    QVERIFY(!showsPicture);
    QCOMPARE(buttons, QStringList{QStringLiteral("OK")});
    QVERIFY(closedByEscape);
}

void LaunchingTest::commandLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");

    const QString r = root.path();
    const QString home = QDir::homePath();
    QTest::newRow("whole line with a blank")
        << r + "/My Apps/run.sh" << r + "/My Apps/run.sh" << QStringList{};
    QTest::newRow("whole line with quotes and a backslash")
        << r + "/odd it's \"q\" \\b/run" << r + "/odd it's \"q\" \\b/run" << QStringList{};
    QTest::newRow("words from PATH") << "tool -x \"a b\" 'c d' e\\ f #tag a#b" << r + "/bin/tool"
                                     << QStringList{"-x", "a b", "c d", "e f", "#tag", "a#b"};
    QTest::newRow("quoted program")
        << "\"" + r + "/My Apps/run.sh\" one" << r + "/My Apps/run.sh" << QStringList{"one"};
    QTest::newRow("unquoted program with blanks")
        << r + "/opt/My App/bin/app  --flag x" << r + "/opt/My App/bin/app"
        << QStringList{"--flag", "x"};
    QTest::newRow("home folder") << "~/bin/hometool ~/notes.txt '~/x'" << home + "/bin/hometool"
                                 << QStringList{home + "/notes.txt", "~/x"};
}

void LaunchingTest::commandLines() {
    QFETCH(QString, line);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);

    QVERIFY(shell.startProgram(line));
    const std::optional<Received> got = received(program);
    QVERIFY2(got, "the program did not run");
    QCOMPARE(got->arguments, arguments);
    QCOMPARE(got->folder, "/");
    QCOMPARE(got->environment, userEnvironment);
}

void LaunchingTest::browsedProgramStarts() {
    const QString path = root.filePath("odd it's \"q\" \\b/run");
    f.files.next = {FileDialog::Result::Chosen, path};
    startWith();
    clickOn(f.child("editCommand1"));
    clickOn(f.child("browseCommand"));
    f.child<QLineEdit>("titleEdit")->setText("Odd");
    clickOn(f.child("saveCommand"));
    // Kept as the dialog gave it.
    QVERIFY(LinksFixture::readConfig().contains("\r\nNo1A=" + path.toUtf8() + "\r\n"));
    clickOn(f.child("slot1"));
    const std::optional<Received> got = received(path);
    QVERIFY2(got, "the program did not run");
    QCOMPARE(got->arguments, QStringList());
    QVERIFY(f.messages.shown.isEmpty());
}

void LaunchingTest::addresses_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("opened");

    const QString r = root.path();
    const auto file = [](const QString& path) {
        return QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded());
    };
    QTest::newRow("host name") << "www.debian.org"
                               << "http://www.debian.org";
    QTest::newRow("host and path") << "example.org/a b"
                                   << "http://example.org/a%20b";
    QTest::newRow("web address") << "https://www.debian.org/x?a=1#b"
                                 << "https://www.debian.org/x?a=1#b";
    QTest::newRow("file address") << "file:///etc/hostname"
                                  << "file:///etc/hostname";
    QTest::newRow("folder") << r + "/My Apps" << file(r + "/My Apps");
    QTest::newRow("file in the home folder")
        << "~/notes.txt" << file(QDir::homePath() + "/notes.txt");
    QTest::newRow("relative to the root folder") << "etc/hostname"
                                                 << "http://etc/hostname";
    QTest::newRow("no such file") << "/nonexistent/a b"
                                  << "file:///nonexistent/a%20b";
    QTest::newRow("the erased address") << "none"
                                        << "http://none";
    QTest::newRow("nothing") << ""
                             << "";
}

void LaunchingTest::addresses() {
    QFETCH(QString, address);
    QFETCH(QString, opened);

    const QString opener = root.filePath("bin/xdg-open");
    QCOMPARE(shell.openAddress(address), !opened.isEmpty());
    if (opened.isEmpty()) {
        QTest::qWait(200);
        QVERIFY(!QFile::exists(opener + ".received"));
        return;
    }
    const std::optional<Received> got = received(opener);
    QVERIFY2(got, "the opener did not run");
    QCOMPARE(got->arguments, QStringList{opened});
    QCOMPARE(got->folder, "/");
    QCOMPARE(got->environment, userEnvironment);
}

QTEST_MAIN(LaunchingTest)
#include "tst_launching.moc"
