#include "platform/ProgramLine.h"

#include "platform/Shell.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

struct Word {
    QString text;
    qsizetype start = 0; // where the word starts and ends in the line
    qsizetype end = 0;
    bool homeRelative = false; // "~" alone or before a "/", neither of them quoted
};

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

std::optional<QList<Word>> words(const QString& line) {
    QList<Word> result;
    const qsizetype n = line.size();
    qsizetype i = 0;
    for (;;) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (i == n)
            return result;
        Word word;
        word.start = i;
        // As in a POSIX shell, a quote or backslash anywhere up to the first unquoted "/"
        // leaves the tilde alone: ~"/x", ~\/x and ~''/x are not the home folder.
        word.homeRelative =
            line[i] == u'~' && (i + 1 == n || isBlank(line[i + 1]) || line[i + 1] == u'/');
        while (i < n && !isBlank(line[i])) {
            const QChar c = line[i];
            if (c == u'\\') {
                // A backslash before a line break joins the lines; one at the very end stays.
                if (i + 1 == n) {
                    word.text += c;
                    ++i;
                    continue;
                }
                if (line[i + 1] != u'\n')
                    word.text += line[i + 1];
                i += 2;
            } else if (c == u'\'') {
                const qsizetype close = line.indexOf(u'\'', i + 1);
                if (close < 0)
                    return std::nullopt;
                word.text += line.mid(i + 1, close - i - 1);
                i = close + 1;
            } else if (c == u'"') {
                for (++i;; ++i) {
                    if (i == n)
                        return std::nullopt;
                    const QChar d = line[i];
                    if (d == u'"')
                        break;
                    // Inside double quotes a backslash escapes only these.
                    if (d == u'\\' && i + 1 < n && QStringView(u"$`\"\\\n").contains(line[i + 1])) {
                        ++i;
                        if (line[i] != u'\n')
                            word.text += line[i];
                    } else {
                        word.text += d;
                    }
                }
                ++i;
            } else {
                word.text += c;
                ++i;
            }
        }
        word.end = i;
        result.append(word);
    }
}

QString expandHome(const QString& text, bool homeRelative, const QString& homeFolder) {
    if (!homeRelative)
        return text;
    if (text == QLatin1String("~"))
        return homeFolder;
    if (text.startsWith(QLatin1String("~/")))
        return homeFolder + text.mid(1);
    return text;
}

// The absolute path of the executable file that name stands for, or an empty string.
QString locate(const QString& name, const QStringList& searchPath) {
    if (name.isEmpty())
        return {};
    if (!name.contains(u'/')) {
        const QString found = QStandardPaths::findExecutable(name, searchPath);
        return found;
    }
    const QFileInfo file(QDir(Shell::rootFolder()).absoluteFilePath(name));
    return file.isFile() && file.isExecutable() ? file.absoluteFilePath() : QString();
}

} // namespace

std::optional<ProgramLine::Program> ProgramLine::resolve(const QString& line,
                                                         const QString& homeFolder,
                                                         const QStringList& searchPath) {
    // A path as the file dialog gives it, whatever characters it holds.
    const QString whole = locate(expandHome(line, line.startsWith(u'~'), homeFolder), searchPath);
    if (!whole.isEmpty())
        return Program{whole, {}};

    const std::optional<QList<Word>> found = words(line);
    if (!found || found->isEmpty())
        return std::nullopt;
    // An unquoted path with blanks: of the runs of leading words (joined by the blanks between
    // them) that name a program, the longest, so that an executable "/opt/My" cannot take
    // over "/opt/My App/bin/app --flag".
    QStringList runs{found->first().text};
    for (qsizetype i = 1; i < found->size(); ++i) {
        const Word& previous = (*found)[i - 1];
        const Word& word = (*found)[i];
        runs.append(runs.last() + line.mid(previous.end, word.start - previous.end) + word.text);
    }
    for (qsizetype last = found->size() - 1; last >= 0; --last) {
        const QString program =
            locate(expandHome(runs[last], found->first().homeRelative, homeFolder), searchPath);
        if (program.isEmpty())
            continue;
        QStringList arguments;
        for (qsizetype i = last + 1; i < found->size(); ++i) {
            const Word& word = (*found)[i];
            arguments.append(expandHome(word.text, word.homeRelative, homeFolder));
        }
        return Program{program, arguments};
    }
    return std::nullopt;
}
