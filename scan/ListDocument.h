#pragma once

#include "CodePage.h"
#include "Jubilee.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <variant>
#include <vector>

// One line of a date list as the list editor holds it.
struct ListLine {
    QString text;        // as the list reads it
    QByteArray raw;      // the bytes read, without the line end: written again unless changed
    QByteArray end;      // the line end read; empty for a last line without one
    bool changed = true; // new or changed: written from `text`
    bool wasBad = false; // read as no entry: it may stay one
    int origin = -1;     // its place among the lines read; -1 for a new line

    bool operator==(const ListLine &) const = default;
};

// An entry line's parts as the editor shows them: the date as written, the text before the
// count and the text after it ('#' stands between the two, never typed).
struct EntryFields {
    QString date;
    QString before;
    QString after;
    bool hasCount = true; // the line has a '#'

    bool operator==(const EntryFields &) const = default;
};
EntryFields FieldsOf(const QString &line);
// "DD.MM.YYYY before # after": a valid date as ten characters, one blank each side of '#'
// (none after it when no text follows).
QString LineOf(const EntryFields &fields);
// Why the line is no entry, as the list's reports say it; empty for an entry.
QString EntryProblem(const QString &line);
// The entry line's next jubilee from `today` on, as the list shows it ("14.03.2026: Anna wird
// 50 Jahre alt!"); empty for a line that is no entry.
QString NextJubilee(const QString &line, std::chrono::sys_days today, LeapDay leapDay);

// A date list file as lines, and the file that edited lines make: lines not touched keep
// their bytes, new and changed ones are written in the file's own encoding (ANSI: UTF-8 if
// the file is UTF-8, else the ANSI code page; OEM: code page 850; UTF-16 as its byte-order
// mark says) with the file's own line end.
class ListDocument {
public:
    // The lines of `bytes`, or why they cannot be edited here (in German).
    static std::variant<ListDocument, QString> FromBytes(const QByteArray &bytes,
                                                         CodePage codePage);

    const QByteArray &Bytes() const noexcept { return m_bytes; }
    const std::vector<ListLine> &Lines() const noexcept { return m_lines; }

    // The file's bytes for `lines`, or the German reason they cannot be written (a character
    // the encoding lacks, named with its line).
    std::variant<QByteArray, QString> Write(const std::vector<ListLine> &lines) const;

    // `ours`, edited from this document's lines, carried over to `newer`, the file as another
    // program left it: its lines, with our changes, removals and new lines where they were.
    // A line changed on both sides keeps both; nothing written by either side is lost.
    std::vector<ListLine> Merge(const std::vector<ListLine> &ours, const ListDocument &newer) const;

private:
    enum class Encoding { Utf8, Page, Utf16Le, Utf16Be };

    QString EncodingName() const; // for messages

    QByteArray m_bytes;
    QByteArray m_mark; // a byte-order mark, kept
    Encoding m_encoding = Encoding::Utf8;
    CodePage m_codePage = CodePage::Ansi;
    QByteArray m_lineEnd; // for new lines: the file's first line end
    std::vector<ListLine> m_lines;
};
