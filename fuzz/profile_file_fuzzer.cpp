// Random settings files, then random reads and writes on them. The operations are taken from the
// input's tail and what is left at its front is the file, so a plain INI file is a good seed.
//
// Checked: nothing crashes; a read never yields more than 254 characters; a write changes at most
// the one line it is about (every other line keeps its bytes, no line break is lost); a written
// value reads back with blanks, tabs and one pair of enclosing quotes removed, and exactly when
// written in the form exactValue() gives; a write changes no other key's value; the file
// functions write exactly what the pure ones compute (for 8-bit files; UTF-16 ones are written
// in UTF-16, and files in other encodings are left alone).
#include "platform/ProfileFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArray trimmed(const QByteArray& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.sliced(first, last - first);
}

QByteArray beforeNul(const QByteArray& text) {
    const qsizetype nul = text.indexOf('\0');
    return nul < 0 ? text : text.first(nul);
}

// A written value as the reader documents it coming back.
QByteArray readBack(const QByteArray& written) {
    QByteArray value = trimmed(written);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value;
}

bool sameName(const QByteArray& a, const QByteArray& b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

qsizetype characters(const QString& text) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        count += text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate() ? 0 : 1;
    return count;
}

QString firstCharacters(const QString& text, qsizetype limit) {
    qsizetype units = 0;
    for (qsizetype n = 0; units < text.size() && n < limit; ++n)
        units += (text[units].isHighSurrogate() && units + 1 < text.size()) ? 2 : 1;
    return text.first(units);
}

qsizetype lineBreaks(const QByteArray& content) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        if (content[i] == '\n' ||
            (content[i] == '\r' && (i + 1 == content.size() || content[i + 1] != '\n')))
            ++count;
    }
    return count;
}

// The bytes a write took away must lie within one line, its line break included.
void checkOneLineTouched(const QByteArray& before, const QByteArray& after) {
    const qsizetype n = before.size();
    const qsizetype m = after.size();
    qsizetype prefix = 0;
    while (prefix < n && prefix < m && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < n - prefix && suffix < m - prefix &&
           before[n - 1 - suffix] == after[m - 1 - suffix])
        ++suffix;
    const qsizetype removedEnd = n - suffix;
    if (removedEnd == prefix)
        return;
    qsizetype lineEnd = prefix;
    while (lineEnd < n && before[lineEnd] != '\r' && before[lineEnd] != '\n')
        ++lineEnd;
    if (lineEnd < n)
        lineEnd +=
            (before[lineEnd] == '\r' && lineEnd + 1 < n && before[lineEnd + 1] == '\n') ? 2 : 1;
    check(removedEnd <= lineEnd, "a write changed bytes of more than one line");
    check(lineBreaks(after) >= lineBreaks(before), "a write lost a line break");
}

// Not UTF-16 (marked or not) nor UTF-32: the files written byte for byte.
bool isEightBitText(const QByteArray& content) {
    return !content.startsWith("\xFF\xFE") && !content.startsWith("\xFE\xFF") &&
           !content.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)) &&
           !(content.size() >= 2 && (content[0] == 0) != (content[1] == 0));
}

bool validSection(const QByteArray& name) {
    return !name.isEmpty() && !name.contains('\r') && !name.contains('\n') && !name.contains('\0');
}

bool validKey(const QByteArray& name) {
    return validSection(name) && !name.contains('=') && !name.startsWith('[') &&
           !name.startsWith(';');
}

// Section and key names found in the content, so that writes also hit existing lines.
void collectNames(const QByteArray& content, std::vector<QByteArray>& sections,
                  std::vector<QByteArray>& keys) {
    for (const QByteArray& raw : content.split('\n')) {
        for (const QByteArray& piece : raw.split('\r')) {
            const QByteArray text = trimmed(beforeNul(piece));
            if (text.startsWith('[') && text.lastIndexOf(']') > 0)
                sections.push_back(trimmed(text.sliced(1, text.lastIndexOf(']') - 1)));
            else if (const qsizetype equals = text.indexOf('='); equals > 0)
                keys.push_back(trimmed(text.first(equals)));
            if (sections.size() + keys.size() > 64)
                return;
        }
    }
}

const QString& scratchFile() {
    static const QString path = [] {
        const QString base =
            QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        const QString folder =
            base + QStringLiteral("/tempivo-fuzz-") + QString::number(long(getpid()));
        QDir().mkpath(folder);
        static const std::string removeAtExit = folder.toStdString();
        std::atexit([] { std::filesystem::remove_all(removeAtExit); });
        return folder + QStringLiteral("/config.ini");
    }();
    return path;
}

struct Operation {
    uint8_t kind = 0;
    uint8_t sectionChoice = 0;
    uint8_t keyChoice = 0;
    QByteArray sectionBytes;
    QByteArray keyBytes;
    QByteArray value;
};

QByteArray tailBytes(FuzzedDataProvider& in, size_t maxLength) {
    const size_t length = in.ConsumeIntegralInRange<size_t>(0, maxLength);
    QByteArray bytes;
    for (size_t i = 0; i < length && in.remaining_bytes() > 0; ++i)
        bytes += char(in.ConsumeIntegral<uint8_t>());
    return bytes;
}

QByteArray pick(uint8_t choice, const QByteArray& own, const std::vector<QByteArray>& found,
                const std::vector<QByteArray>& fixed) {
    if (choice < 64 && !found.empty())
        return found[choice % found.size()];
    if (choice < 192)
        return fixed[choice % fixed.size()];
    return trimmed(beforeNul(own));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<Operation> operations(in.ConsumeIntegralInRange<size_t>(0, 12));
    for (Operation& op : operations) {
        op.kind = in.ConsumeIntegral<uint8_t>();
        op.sectionChoice = in.ConsumeIntegral<uint8_t>();
        op.keyChoice = in.ConsumeIntegral<uint8_t>();
        if (op.sectionChoice >= 192)
            op.sectionBytes = tailBytes(in, 12);
        if (op.keyChoice >= 192)
            op.keyBytes = tailBytes(in, 12);
        if (op.kind % 4 != 0)
            op.value = tailBytes(in, op.kind >= 240 ? 300 : 24);
    }
    const std::vector<uint8_t> front = in.ConsumeRemainingBytes<uint8_t>();
    QByteArray content(reinterpret_cast<const char*>(front.data()), qsizetype(front.size()));

    std::vector<QByteArray> sections;
    std::vector<QByteArray> keys;
    collectNames(content, sections, keys);
    static const std::vector<QByteArray> fixedSections = {
        "Configuration", "configuration", "a", "x]y", "[", ";"};
    static const std::vector<QByteArray> fixedKeys = {"No1T", "NO1t", "No10S", "a", "k]", "b c"};

    int fileRounds = 0;
    for (const Operation& op : operations) {
        const QByteArray section = pick(op.sectionChoice, op.sectionBytes, sections, fixedSections);
        const QByteArray key = pick(op.keyChoice, op.keyBytes, keys, fixedKeys);
        if (!validSection(section) || !validKey(key))
            continue;

        if (op.kind % 4 == 0) {
            const std::optional<QByteArray> value = ProfileText::lookup(content, section, key);
            check(!value ||
                      (!value->contains('\r') && !value->contains('\n') && !value->contains('\0')),
                  "a value read holds a line break or a NUL");
            continue;
        }

        // What LinkStore::writeValues hands on: line breaks made blanks, nothing after a NUL.
        QByteArray value = beforeNul(op.value);
        value.replace('\r', ' ').replace('\n', ' ');

        if (op.kind % 4 == 3 && fileRounds < 2) {
            ++fileRounds;
            const QString path = scratchFile();
            QFile file(path);
            check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file");
            check(file.write(content) == content.size(), "scratch file written");
            file.close();

            const QString sectionText = QString::fromLocal8Bit(section);
            const QString keyText = QString::fromLocal8Bit(key);
            // Half the time the value as Tempivo saves it, which must read back exactly.
            const bool exact = op.kind & 4;
            const QString typed = QString::fromLocal8Bit(value);
            const QString valueText = exact ? ProfileText::exactValue(typed) : typed;
            const QByteArray sectionName = trimmed(sectionText.toLocal8Bit());
            const QByteArray keyName = trimmed(keyText.toLocal8Bit());
            const QByteArray valueBytes = valueText.toLocal8Bit();
            // The text decoder drops a leading byte order mark, which can uncover a "[".
            if (!validSection(sectionName) || !validKey(keyName))
                continue;
            // A file in UTF-16 is written in UTF-16, one in an encoding the reader does not
            // know not at all: for them only the value read back is checked.
            const bool eightBit = isEightBitText(content);
            const QByteArray expected =
                ProfileText::withValue(content, sectionName, keyName, valueBytes);
            const bool wrote = ProfileFile::write(path, sectionText, keyText, valueText);
            // Refused only when the file would read as another encoding afterwards.
            check(wrote || !eightBit || !isEightBitText(expected), "a valid write was refused");
            check(file.open(QIODevice::ReadOnly), "scratch file read");
            const QByteArray written = file.readAll();
            file.close();
            if (!wrote) {
                check(written == content, "a refused write changed the file");
                continue;
            }
            check(!eightBit || written == expected,
                  "the file differs from what withValue computes");
            const QString read = ProfileFile::read(path, sectionText, keyText, QStringLiteral("-"));
            check(characters(read) <= ProfileText::maxValueLength, "read more than 254 characters");
            check(read ==
                      firstCharacters(exact ? typed : QString::fromLocal8Bit(readBack(valueBytes)),
                                      ProfileText::maxValueLength),
                  "a value written to the file does not read back");
            content = written;
            continue;
        }

        const QByteArray updated = ProfileText::withValue(content, section, key, value);
        const std::optional<QByteArray> readValue = ProfileText::lookup(updated, section, key);
        check(readValue.has_value() && *readValue == readBack(value),
              "a written value does not read back");
        checkOneLineTouched(content, updated);
        for (size_t i = 0; i < 4 && i < sections.size() + fixedSections.size(); ++i) {
            const QByteArray& probeSection = i < sections.size() ? sections[i] : fixedSections[i];
            const QByteArray& probeKey =
                keys.empty() ? fixedKeys[i] : keys[(op.keyChoice + i) % keys.size()];
            if (!validSection(probeSection) || !validKey(probeKey) ||
                (sameName(probeSection, section) && sameName(probeKey, key)))
                continue;
            check(ProfileText::lookup(content, probeSection, probeKey) ==
                      ProfileText::lookup(updated, probeSection, probeKey),
                  "a write changed another key");
        }
        content = updated;
    }

    // Whatever the file holds, a read through the file functions stays within 254 characters.
    if (!keys.empty() && !sections.empty() && fileRounds == 0 && content.size() > 300) {
        QFile file(scratchFile());
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file");
        file.write(content);
        file.close();
        const QString read =
            ProfileFile::read(scratchFile(), QString::fromLocal8Bit(sections[0]),
                              QString::fromLocal8Bit(keys.back()), QStringLiteral("-"));
        check(characters(read) <= ProfileText::maxValueLength, "read more than 254 characters");
    }
    return 0;
}
