#include "platform/ProgramLine.h"
#include "platform/Shell.h"

#include <QTest>

// Command lines split the way a POSIX shell splits them, and programs that cannot start.
class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void splitCommandLine_data();
    void splitCommandLine();
    void startFailures_data();
    void startFailures();
};

void ShellTest::splitCommandLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<bool>("valid");

    QTest::newRow("program") << "xterm" << QStringList{"xterm"} << true;
    QTest::newRow("arguments") << "  gedit  -s a.txt " << QStringList{"gedit", "-s", "a.txt"}
                               << true;
    QTest::newRow("double quotes")
        << "\"/opt/my app/run\" \"a b\"" << QStringList{"/opt/my app/run", "a b"} << true;
    QTest::newRow("single quotes")
        << "echo 'a \"b\" c'" << QStringList{"echo", "a \"b\" c"} << true;
    QTest::newRow("backslash escapes")
        << "ls a\\ b \"q\\\"x\"" << QStringList{"ls", "a b", "q\"x"} << true;
    QTest::newRow("joined quotes") << "a\"b c\"'d'" << QStringList{"ab cd"} << true;
    QTest::newRow("home program") << "~/bin/tool ~/notes.txt"
                                  << QStringList{"/home/u/bin/tool", "/home/u/notes.txt"} << true;
    QTest::newRow("tilde alone") << "ls ~" << QStringList{"ls", "/home/u"} << true;
    QTest::newRow("tilde inside a word")
        << "a~/b ~user/x" << QStringList{"a~/b", "~user/x"} << true;
    QTest::newRow("no shell expansion")
        << "echo $HOME *; rm x" << QStringList{"echo", "$HOME", "*;", "rm", "x"} << true;
    QTest::newRow("no comments") << "notify-send #tag a#b"
                                 << QStringList{"notify-send", "#tag", "a#b"} << true;
    QTest::newRow("quoted tilde") << "ls '~/x' \\~" << QStringList{"ls", "~/x", "~"} << true;
    QTest::newRow("quote or backslash before the slash")
        << "ls ~\"/x\" ~\\/x ~''/x ~'' ~/\"x\""
        << QStringList{"ls", "~/x", "~/x", "~/x", "~", "/home/u/x"} << true;
    QTest::newRow("escapes in double quotes")
        << "p \"\\a\\$\\\\\" tab\\\tx" << QStringList{"p", "\\a$\\", "tab\tx"} << true;
    QTest::newRow("trailing backslash") << "C:\\" << QStringList{"C:\\"} << true;
    QTest::newRow("not UTF-8 safe input") << "prog Grüße" << QStringList{"prog", "Grüße"} << true;
    QTest::newRow("empty") << "" << QStringList{} << true;
    QTest::newRow("blanks") << "   " << QStringList{} << true;
    QTest::newRow("open quote") << "gedit \"a b" << QStringList{} << false;
}

void ShellTest::splitCommandLine() {
    QFETCH(QString, line);
    QFETCH(QStringList, words);
    QFETCH(bool, valid);

    // The words as the arguments of a program that is surely there.
    const std::optional<ProgramLine::Program> program =
        ProgramLine::resolve(QStringLiteral("/bin/true ") + line, QStringLiteral("/home/u"), {});
    QCOMPARE(program.has_value(), valid);
    if (valid) {
        QCOMPARE(program->path, QStringLiteral("/bin/true"));
        QCOMPARE(program->arguments, words);
    }
}

void ShellTest::startFailures_data() {
    QTest::addColumn<QString>("line");
    QTest::newRow("root folder") << "/";
    QTest::newRow("no such program") << "tempivo-no-such-program --flag";
    QTest::newRow("unbalanced quotes") << "\"/bin/true";
    QTest::newRow("empty") << "";
}

void ShellTest::startFailures() {
    QFETCH(QString, line);
    SystemShell shell;
    QVERIFY(!shell.startProgram(line));
}

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
