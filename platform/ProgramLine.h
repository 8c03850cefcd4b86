#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// How a link's command line becomes a program and its arguments, without a shell.
namespace ProgramLine {

struct Program {
    QString path; // absolute
    QStringList arguments;
};

// The program a line starts: the whole line when it names an executable file; else the longest
// run of leading words (joined by the blanks between them) that names one, followed by the
// remaining words as arguments. Words are split as a POSIX shell reads them: blanks separate
// words, quotes and backslashes escape, a word that is an unquoted "~" or starts with an
// unquoted "~/" begins with the home folder (~"/x", ~\/x and ~''/x do not). Nothing else is
// special ("#" starts no comment, "$" and "*" expand to nothing). Names without a slash are looked
// up in searchPath; other relative names from the root folder. Empty when no program is found.
std::optional<Program> resolve(const QString& line, const QString& homeFolder,
                               const QStringList& searchPath);

} // namespace ProgramLine
